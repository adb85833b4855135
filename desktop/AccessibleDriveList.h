#pragma once
// Basic idea: the drive list as the accessibility tree shows it. On Linux, Qt names a drop-down
// list by the entry it shows ("c: [DATA]") and leaves its purpose to a label; the drive list's
// label shows the source folder instead, so a screen reader would never hear what the list is
// for. This interface names it by its accessible name ("Lecteurs"), keeps the entry as its value
// and as its read-only text (what a screen reader reads as a drop-down list's value), and offers
// the list of entries as its child, as Qt's own does. Installed by
// InstallAccessibleDriveList before the window is first shown. UI thread only.

#include <QAccessibleWidget>

class QComboBox;

class AccessibleDriveList : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleDriveList(QComboBox* list);
    void* interface_cast(QAccessible::InterfaceType type) override;

    QString text(QAccessible::Text kind) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

    // The entry shown, as a text that cannot be selected or edited.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override;

private:
    QComboBox* List() const;
};

// Makes every drive list (TDriveComboBox) answer through AccessibleDriveList, this one included.
void InstallAccessibleDriveList(QComboBox& list);
