#pragma once
// Basic idea: the program's icon in the desktop's notification area. It stands in a window design
// as a hidden widget whose properties are set by name; the icon is on the desktop exactly while
// Visible is true. A left click on it raises OnClick; a right click brings the application to the
// front, handles the pending events and then opens the menu named by PopupMenu at the mouse.
//
// The desktop's side is Qt's QSystemTrayIcon (an XEmbed tray or a StatusNotifier host, whichever
// the desktop offers); Qt adds the icon again when the desktop's panel restarts. Tests can put a
// TrayAreaHook in its place to stand for a desktop that accepts or refuses the icon. Setting
// Visible raises EOutOfResources when the desktop refuses to add or remove the icon. The mouse
// handlers run inside RunHandler, as posted events, never inside the desktop's own callback.
// UI thread only.

#include <QIcon>
#include <QString>
#include <QWidget>
#include <functional>

class QMenu;
class QSystemTrayIcon;

class TTrayIcon : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Visible READ InTray WRITE SetInTray)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QIcon Icon READ Icon WRITE SetIcon)
    Q_PROPERTY(QString BalloonTitle MEMBER m_BalloonTitle)
    Q_PROPERTY(QString BalloonHint MEMBER m_BalloonHint)
    Q_PROPERTY(TBalloonFlags BalloonFlags MEMBER m_BalloonFlags)
    Q_PROPERTY(QString PopupMenu READ PopupMenuName WRITE SetPopupMenuName)
public:
    // The icon that a balloon shows beside its text.
    enum TBalloonFlags
    {
        bfNone,
        bfInfo,
        bfWarning,
        bfError
    };
    Q_ENUM(TBalloonFlags)

    // Longest tooltip the notification area takes, in characters.
    static constexpr int MaxHintLength = 127;

    // The tooltip is the application's title of this moment.
    explicit TTrayIcon(QWidget* parent = nullptr);
    ~TTrayIcon() override;

    bool InTray() const { return m_Visible; }
    // True when the desktop offers a notification area (an XEmbed tray or a StatusNotifier host)
    // at this moment. A desktop may have none, or gain or lose one while the program runs: it is
    // asked again at each call. Throws nothing.
    bool AreaExists() const;
    // True adds the icon, false removes it; the value it already has changes nothing. Throws
    // EOutOfResources when the desktop refuses; InTray then keeps its old value.
    void SetInTray(bool visible);

    // The tooltip; a longer text is cut to MaxHintLength. Throw nothing.
    QString Hint() const { return m_Hint; }
    void SetHint(const QString& hint);

    // The image; when none is set, the icon of the window that holds the component (a null icon
    // when that has none either, and the desktop then refuses the icon). Throw nothing.
    QIcon Icon() const;
    void SetIcon(const QIcon& icon);

    // Plain accessors; throw nothing.
    QString BalloonTitle() const { return m_BalloonTitle; }
    QString BalloonHint() const { return m_BalloonHint; }
    TBalloonFlags BalloonFlags() const { return m_BalloonFlags; }

    // The menu is named, as in a design, and looked up among the holding window's children when
    // it is needed, so the design may create it after the icon. PopupMenu is nullptr when no name
    // is set or the window holds no menu of that name. Throw nothing.
    QString PopupMenuName() const { return m_PopupMenuName; }
    void SetPopupMenuName(const QString& name) { m_PopupMenuName = name; }
    QMenu* PopupMenu() const;

    // The desktop's mouse reports, as the component handles them: a left click (button pressed and
    // released over the icon) and a right click at a position on the screen. Each runs as an event
    // handler (RunHandler): an error is shown, not passed on, unless called from inside a handler.
    void HandleClick();
    void HandleContextClick(const QPoint& at);

signals:
    void OnClick();

private:
    bool AddToArea();
    bool RemoveFromArea();
    void ConnectShell();

    bool m_Visible = false;
    QString m_Hint;
    QIcon m_Icon;
    QString m_BalloonTitle, m_BalloonHint;
    TBalloonFlags m_BalloonFlags = bfNone;
    QString m_PopupMenuName;
    QSystemTrayIcon* m_Shell = nullptr;
};

// Stands for the desktop's notification area: Add puts the icon there (false when the desktop
// refuses it), Remove takes it away (false when the desktop refuses), Exists tells whether there is
// an area at all (when unset, there is one). While a hook is set, every icon goes to it instead of
// the desktop. Pass an empty hook to restore the desktop. Throws nothing.
struct TrayAreaHook
{
    std::function<bool(TTrayIcon&)> Add;
    std::function<bool(TTrayIcon&)> Remove;
    std::function<bool()> Exists;
};
void SetTrayAreaHook(TrayAreaHook hook);
