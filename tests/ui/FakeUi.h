#pragma once
// Scripted stand-ins for the windows' dialogs, clock, screen and help: they
// answer from a queue and record what was asked, so a test fails when the
// wrong question is shown.

#include "ui/common/UiServices.h"

#include <QDateTime>
#include <QList>
#include <QQueue>
#include <QSize>
#include <QStringList>

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

class FixedClock : public ui::Clock
{
public:
    QDateTime time = QDateTime(QDate(2007, 3, 5), QTime(15, 7));
    QDateTime now() const override { return time; }
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
    QStringList shown;      // "index", "contents", "context"
    QList<int> contexts;    // the context numbers asked for, in order
    QList<QWidget*> owners; // the asking window of each context help
    void showIndex(QWidget*) override { shown << "index"; }
    void showContents(QWidget*) override { shown << "contents"; }
    void showContext(QWidget* owner, int context) override
    {
        shown << "context";
        contexts << context;
        owners << owner;
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
    int endCount = 0;
    ui::UiServices services{
        messages, files, clock, screen, help, QLocale(QLocale::Japanese, QLocale::Japan), [this] {
            ++endCount;
        }};
};

} // namespace testsupport
