#pragma once
// FIXME: placeholder until the notification-area icon is built; it keeps the design's place.

#include <QString>
#include <QWidget>

class TTrayIcon : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QString BalloonTitle MEMBER m_BalloonTitle)
    Q_PROPERTY(QString BalloonHint MEMBER m_BalloonHint)
    Q_PROPERTY(QString PopupMenu MEMBER m_PopupMenu)
public:
    explicit TTrayIcon(QWidget* parent = nullptr) : QWidget(parent) { hide(); }
    bool Visible() const { return m_Visible; }
    void SetVisible(bool visible) { m_Visible = visible; }

signals:
    void OnClick();

private:
    bool m_Visible = false;
    QString m_BalloonTitle, m_BalloonHint, m_PopupMenu;
};
