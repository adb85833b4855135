#pragma once
// Basic idea: the drive list as the accessibility tree shows it. On Linux, Qt names a drop-down
// list by the entry it shows ("c: [DATA]") and leaves its purpose to a label; the drive list's
// label shows the source folder instead, so a screen reader would never hear what the list is
// for. This interface names it by its accessible name ("Lecteurs"), keeps the entry as its value,
// and offers the list of entries as its child, as Qt's own does. Installed by
// InstallAccessibleDriveList before the window is first shown. UI thread only.

#include <QAccessibleWidget>

class QComboBox;

class AccessibleDriveList : public QAccessibleWidget
{
public:
    explicit AccessibleDriveList(QComboBox* list);

    QString text(QAccessible::Text kind) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

private:
    QComboBox* List() const;
};

// Makes every drive list (TDriveComboBox) answer through AccessibleDriveList, this one included.
void InstallAccessibleDriveList(QComboBox& list);
