#include "platform/components/HelpKey.h"

#include "platform/components/Application.h"

#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

namespace {

class HelpKeyFilter : public QObject
{
public:
    explicit HelpKeyFilter(TApplication& application) : QObject(&application), m_Application(application) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        if (static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier || !InAForm(watched))
            return false;
        RunHandler([this] { m_Application.HelpContext(FocusedContext()); });
        return true;
    }

private:
    bool InAForm(QObject* watched) const
    {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr)
            return false;
        const auto& forms = m_Application.Forms();
        return std::find(forms.begin(), forms.end(), widget->window()) != forms.end();
    }

    // The focused control's help context: no control of the program carries one.
    static int FocusedContext() { return 0; }

    TApplication& m_Application;
};

} // namespace

void InstallHelpKey(TApplication& application)
{
    application.installEventFilter(new HelpKeyFilter(application));
}
