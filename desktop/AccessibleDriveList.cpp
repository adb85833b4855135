#include "desktop/AccessibleDriveList.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace {

QAccessibleInterface* DriveListFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("TDriveComboBox") || !object->isWidgetType())
        return nullptr;
    auto* list = qobject_cast<QComboBox*>(object);
    return list == nullptr ? nullptr : new AccessibleDriveList(list);
}

} // namespace

AccessibleDriveList::AccessibleDriveList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox)
{
}

QComboBox* AccessibleDriveList::List() const
{
    return static_cast<QComboBox*>(widget());
}

QString AccessibleDriveList::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return List()->currentText();
    return QAccessibleWidget::text(kind);
}

void* AccessibleDriveList::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleDriveList::text(int startOffset, int endOffset) const
{
    const QString shown = List()->currentText();
    if (endOffset < 0 || endOffset > shown.size())
        endOffset = static_cast<int>(shown.size());
    if (startOffset < 0 || startOffset >= endOffset)
        return {};
    return shown.mid(startOffset, endOffset - startOffset);
}

int AccessibleDriveList::characterCount() const
{
    return static_cast<int>(List()->currentText().size());
}

QString AccessibleDriveList::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// The one child is the list of entries that opens below.
int AccessibleDriveList::childCount() const
{
    return List()->view() != nullptr ? 1 : 0;
}

QAccessibleInterface* AccessibleDriveList::child(int index) const
{
    if (index != 0 || List()->view() == nullptr)
        return nullptr;
    return QAccessible::queryAccessibleInterface(List()->view());
}

int AccessibleDriveList::indexOfChild(const QAccessibleInterface* child) const
{
    return child != nullptr && List()->view() != nullptr && child->object() == List()->view() ? 0 : -1;
}

QStringList AccessibleDriveList::actionNames() const
{
    return {showMenuAction()};
}

void AccessibleDriveList::doAction(const QString& action)
{
    if (action == showMenuAction() || action == pressAction())
        List()->showPopup();
}

void InstallAccessibleDriveList(QComboBox& list)
{
    static const bool installed = [] {
        QAccessible::installFactory(&DriveListFactory);
        return true;
    }();
    (void)installed;
    // With an accessibility client listening from the start, the list announced itself while the
    // window was built, through Qt's own interface: that one gives way to this.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(&list);
    if (existing != nullptr && dynamic_cast<AccessibleDriveList*>(existing) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}
