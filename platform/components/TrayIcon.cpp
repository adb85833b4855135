#include "platform/components/TrayIcon.h"

#include "platform/components/Application.h"
#include "platform/services/Exceptions.h"
#include "texts/French.h"

#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

namespace {

TrayAreaHook& Hook()
{
    static TrayAreaHook hook;
    return hook;
}

QString ShortenedHint(const QString& hint)
{
    if (hint.size() <= TTrayIcon::MaxHintLength)
        return hint;
    QString shortened = hint.left(TTrayIcon::MaxHintLength);
    // Never leave half of a character that takes two UTF-16 units.
    if (shortened.back().isHighSurrogate())
        shortened.chop(1);
    return shortened;
}

} // namespace

void SetTrayAreaHook(TrayAreaHook hook)
{
    Hook() = std::move(hook);
}

TTrayIcon::TTrayIcon(QWidget* parent) : QWidget(parent)
{
    hide();
    if (const TApplication* app = TApplication::Instance())
        m_Hint = ShortenedHint(QString::fromStdString(app->Title()));
}

TTrayIcon::~TTrayIcon()
{
    // The icon must not outlive the program on the desktop; a refusal cannot be reported here.
    if (m_Visible)
        RemoveFromArea();
}

void TTrayIcon::SetInTray(bool visible)
{
    if (visible == m_Visible)
        return;
    if (visible && !AddToArea())
        throw EOutOfResources(Texts::CannotCreateTrayIcon);
    if (!visible && !RemoveFromArea())
        throw EOutOfResources(Texts::CannotDeleteTrayIcon);
    m_Visible = visible;
}

void TTrayIcon::SetHint(const QString& hint)
{
    m_Hint = ShortenedHint(hint);
    if (m_Shell != nullptr)
        m_Shell->setToolTip(m_Hint);
}

bool TTrayIcon::AreaExists() const
{
    if (Hook().Exists)
        return Hook().Exists();
    if (Hook().Add)
        return true;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QIcon TTrayIcon::Icon() const
{
    if (!m_Icon.isNull())
        return m_Icon;
    return window()->windowIcon();
}

void TTrayIcon::SetIcon(const QIcon& icon)
{
    m_Icon = icon;
    if (m_Shell != nullptr)
        m_Shell->setIcon(Icon());
}

QMenu* TTrayIcon::PopupMenu() const
{
    if (m_PopupMenuName.isEmpty())
        return nullptr;
    return window()->findChild<QMenu*>(m_PopupMenuName);
}

void TTrayIcon::HandleClick()
{
    RunHandler([this] { emit OnClick(); });
}

void TTrayIcon::HandleContextClick(const QPoint& at)
{
    // The pending events may run a handler that destroys the window and this icon with it.
    QPointer<TTrayIcon> self(this);
    RunHandler([&] {
        if (TApplication* app = TApplication::Instance()) {
            app->BringToFront();
            app->ProcessMessages();
        }
        if (self.isNull())
            return;
        if (QMenu* menu = PopupMenu())
            menu->popup(at);
    });
}

bool TTrayIcon::AddToArea()
{
    if (Hook().Add)
        return Hook().Add(*this);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    const QIcon icon = Icon();
    if (icon.isNull())
        return false;
    if (m_Shell == nullptr) {
        m_Shell = new QSystemTrayIcon(this);
        ConnectShell();
    }
    m_Shell->setIcon(icon);
    m_Shell->setToolTip(m_Hint);
    m_Shell->show();
    return m_Shell->isVisible();
}

bool TTrayIcon::RemoveFromArea()
{
    if (Hook().Remove)
        return Hook().Remove(*this);
    if (m_Shell != nullptr)
        m_Shell->hide();
    return true;
}

void TTrayIcon::ConnectShell()
{
    // Qt reports the mouse from inside the icon's own window, which removing the icon destroys:
    // the handlers run later, from the event loop, as the desktop's messages would. The second
    // click of a double click is no click: one double click runs the click event once.
    connect(m_Shell, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            QMetaObject::invokeMethod(
                this, [this] { HandleClick(); }, Qt::QueuedConnection);
            return;
        }
        if (reason == QSystemTrayIcon::Context) {
            const QPoint at = QCursor::pos();
            QMetaObject::invokeMethod(
                this, [this, at] { HandleContextClick(at); }, Qt::QueuedConnection);
        }
    });
}
