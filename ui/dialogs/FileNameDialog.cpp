#include "FileNameDialog.h"

#include "ui/common/Help.h"
#include "ui/common/JapaneseFont.h"
#include "ui/common/UiServices.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ui {

FileNameDialog::FileNameDialog(const FileNameDialogTexts& texts, const QString& fileName,
                               OkAction ok, UiServices& services, QWidget* parent)
    : FixedDialog(texts.objectName, texts.caption, services.screen, parent), ok_(std::move(ok)),
      services_(services), helpContext_(texts.helpContext)
{
    // The name and the text box in a fixed-pitch face, the rest as the dialog.
    const QFont fixed = japaneseFont(QStringLiteral("ＭＳ ゴシック"), 9);

    // Created in keyboard order: the text box first, then the buttons.
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("Text1"));
    text_->setToolTip(texts.textTip);
    text_->setFont(fixed);
    setColours(text_, kYellow, kDarkGrey);
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);

    instruction_ = new QLabel(texts.instruction, this);
    instruction_->setObjectName(QStringLiteral("Label1"));
    setColours(instruction_, kYellow);

    nameCaption_ = new QLabel(texts.nameCaption, this);
    nameCaption_->setObjectName(texts.nameCaptionName);
    nameCaption_->setToolTip(texts.nameCaptionTip);
    setColours(nameCaption_, kLightYellow);

    nameDisplay_ = new QLabel(this);
    nameDisplay_->setObjectName(texts.nameDisplayName);
    nameDisplay_->setFont(fixed);
    nameDisplay_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    nameDisplay_->setTextFormat(Qt::PlainText);
    setColours(nameDisplay_, kLightYellow, kDarkGrey);
    // A name longer than the text box is shortened in its middle, so the
    // dialog keeps its width; the tooltip then adds the whole name under
    // its own text.
    const QFontMetrics metrics = nameDisplay_->fontMetrics();
    const int room = text_->minimumWidth() - 2 * nameDisplay_->frameWidth() -
                     metrics.horizontalAdvance(QLatin1Char('x'));
    const QString shown = metrics.elidedText(fileName, Qt::ElideMiddle, room);
    nameDisplay_->setText(shown);
    nameDisplay_->setToolTip(shown == fileName
                                 ? texts.nameTip
                                 : texts.nameTip + QLatin1Char('\n') + wrappable(fileName));

    textCaption_ = new QLabel(texts.textCaption, this);
    textCaption_->setObjectName(QStringLiteral("Label4"));
    textCaption_->setToolTip(texts.textCaptionTip);
    setColours(textCaption_, kYellow);
    textCaption_->setBuddy(text_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->addWidget(nameCaption_, 0, 0);
    grid->addWidget(nameDisplay_, 0, 1);
    grid->addWidget(textCaption_, 1, 0);
    grid->addWidget(text_, 1, 1);
    nameDisplay_->setMinimumHeight(text_->sizeHint().height());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(12);
    layout->addWidget(instruction_);
    layout->addLayout(grid);
    layout->addLayout(
        createButtons({QStringLiteral("OK"), QStringLiteral("キャンセル"), QStringLiteral("ヘルプ")}));
    connect(this, &FixedDialog::commandClicked, this, &FileNameDialog::pressButton);

    fixSizeAndCentre();
    text_->setFocus();
}

void FileNameDialog::pressButton(int index)
{
    switch (index) {
    case 0: {
        const OkOutcome outcome = ok_(text_->text());
        services_.messages.show(this, outcome.message);
        if (outcome.close)
            accept();
        else if (outcome.focusText)
            text_->setFocus();
        break;
    }
    case 1:
        reject();
        break;
    default:
        services_.help.showContext(this, helpContext_);
        break;
    }
}

} // namespace ui
