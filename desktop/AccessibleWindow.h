#pragma once
// Basic idea: a form as the accessibility tree shows it. Qt presents a plain top-level widget as
// a "filler" and lists every child widget under it, the components that never show (the timer,
// the notification-area icon, the media device, the event relay) among them: a screen reader then
// meets a window that is no frame and unnamed controls the user cannot reach, one of them
// focusable at 0 by 0 pixels. This interface gives the form the role of a window (a frame) and
// offers only the children that show with it. Installed by InstallAccessibleWindow before the
// window is first shown. UI thread only.

#include <QAccessibleWidget>

class AccessibleWindow : public QAccessibleWidget
{
public:
    explicit AccessibleWindow(QWidget* form);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    QList<QWidget*> ShownChildren() const;
};

// Makes every widget of the form's class answer through AccessibleWindow, this one included.
void InstallAccessibleWindow(QWidget& form);
