#include "platform/components/FirstFrame.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

// Watches the window's paint events; owned by the window, so it goes with it.
class FirstFrameWatch : public QObject
{
public:
    FirstFrameWatch(QWidget& window, std::function<void()> action, std::chrono::milliseconds fallback)
        : QObject(&window), m_Action(std::move(action))
    {
        window.installEventFilter(this);
        QTimer::singleShot(fallback, this, &FirstFrameWatch::Run);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window paints its whole first frame in one go, children included, and puts it on
        // screen before the loop takes the next event: the action is queued behind that.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &FirstFrameWatch::Run);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_Action;

    void Run()
    {
        if (!m_Action)
            return;
        parent()->removeEventFilter(this);
        std::function<void()> action = std::move(m_Action);
        m_Action = nullptr;
        deleteLater();
        action();
    }
};

} // namespace

void AfterFirstFrame(QWidget& window, std::function<void()> action, std::chrono::milliseconds fallback)
{
    new FirstFrameWatch(window, std::move(action), fallback);
}

void ReportFirstFrameAndQuit(QWidget& window)
{
    AfterFirstFrame(window, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(
            stderr, "first frame %lld\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
        QCoreApplication::quit();
    });
}
