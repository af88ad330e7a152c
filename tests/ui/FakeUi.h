#pragma once
// Scripted stand-ins for the windows' dialogs, clock, screen, help and the
// desktop's browser and mail: they answer from a queue and record what was
// asked, so a test fails when the wrong question is shown.

#include "ui/common/UiServices.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QQueue>
#include <QSize>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace testsupport {

class ScriptedMessageBoxes : public ui::MessageBoxes
{
public:
    QQueue<ui::MessageAnswer> answers; // a box without one gets OK
    QList<ui::MessageRequest> shown;

    ui::MessageAnswer show(QWidget*, const ui::MessageRequest& request) override
    {
        shown.append(request);
        return answers.isEmpty() ? ui::MessageAnswer::Ok : answers.dequeue();
    }
};

class ScriptedFileChooser : public ui::FileChooser
{
public:
    QQueue<QString> answers; // none, or an empty text, cancels
    QList<ui::FileDialogRequest> asked;

    QString choose(QWidget*, const ui::FileDialogRequest& request) override
    {
        asked.append(request);
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
};

// Time stands still until a test moves it on with advance(); timed calls
// run then, in the order they fall due.
class FixedClock : public ui::Clock
{
public:
    QDateTime time = QDateTime(QDate(2007, 3, 5), QTime(15, 7));
    QDateTime now() const override { return time; }

    void singleShot(int ms, QObject* context, std::function<void()> then) override
    {
        pending_.append({elapsed_ + ms, context, std::move(then)});
    }
    void advance(int ms)
    {
        const qint64 end = elapsed_ + ms;
        for (;;) {
            auto due = std::min_element(pending_.begin(), pending_.end(),
                                        [](const Call& a, const Call& b) { return a.due < b.due; });
            if (due == pending_.end() || due->due > end)
                break;
            const Call call = *due;
            pending_.erase(due);
            time = time.addMSecs(call.due - elapsed_);
            elapsed_ = call.due;
            if (call.context)
                call.then();
        }
        time = time.addMSecs(end - elapsed_);
        elapsed_ = end;
    }

private:
    struct Call
    {
        qint64 due;
        QPointer<QObject> context;
        std::function<void()> then;
    };
    qint64 elapsed_ = 0;
    QList<Call> pending_;
};

class FixedScreen : public ui::Screen
{
public:
    QSize pixels = QSize(1280, 1024);
    double dpi = 96;
    QSize sizePixels() const override { return pixels; }
    double logicalDpiX() const override { return dpi; }
    double logicalDpiY() const override { return dpi; }
    QList<QRect> others; // screens beside the primary one
    QList<QRect> screenGeometries() const override
    {
        return QList<QRect>{QRect(QPoint(0, 0), pixels)} + others;
    }
};

class RecordingHelp : public ui::Help
{
public:
    QStringList shown;      // "index", "contents", "context 10025"
    QList<QWidget*> owners; // the asking window of each context help
    void showIndex(QWidget*) override { shown << "index"; }
    void showContents(QWidget*) override { shown << "contents"; }
    void showContext(QWidget* owner, int number) override
    {
        shown << QStringLiteral("context %1").arg(number);
        owners << owner;
    }
};

// Answers for the desktop: whether a browser or mail program took the
// address; records what was asked ("web <url>", "mail <address>").
class ScriptedLauncher : public ui::Launcher
{
public:
    bool browserThere = true;
    bool mailThere = true;
    QStringList asked;

    void openWebPage(QWidget*, const QUrl& page, Verdict verdict) override
    {
        asked << QStringLiteral("web ") + page.toString();
        verdict(browserThere);
    }
    void writeMail(QWidget*, const QString& address, Verdict verdict) override
    {
        asked << QStringLiteral("mail ") + address;
        verdict(mailThere);
    }
};

// All of the above, ready to hand to a window; endProgram only counts.
struct FakeUi
{
    ScriptedMessageBoxes messages;
    ScriptedFileChooser files;
    FixedClock clock;
    FixedScreen screen;
    RecordingHelp help;
    ScriptedLauncher launcher;
    int endCount = 0;
    ui::UiServices services{messages,
                            files,
                            clock,
                            screen,
                            help,
                            launcher,
                            QLocale(QLocale::Japanese, QLocale::Japan),
                            [this] { ++endCount; }};
};

} // namespace testsupport
