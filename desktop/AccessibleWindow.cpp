#include "desktop/AccessibleWindow.h"

#include <QWidget>

namespace {

// The class whose widgets get the interface: the first form's, fixed at installation.
QString& FormClass()
{
    static QString name;
    return name;
}

QAccessibleInterface* WindowFactory(const QString& className, QObject* object)
{
    if (className != FormClass() || !object->isWidgetType())
        return nullptr;
    return new AccessibleWindow(static_cast<QWidget*>(object));
}

} // namespace

AccessibleWindow::AccessibleWindow(QWidget* form) : QAccessibleWidget(form, QAccessible::Window)
{
}

// A child that shows when the form shows; the components the design hides stay out of the tree.
QList<QWidget*> AccessibleWindow::ShownChildren() const
{
    QList<QWidget*> shown;
    for (QObject* object : widget()->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !child->isWindow() && child->isVisibleTo(widget()))
            shown.append(child);
    }
    return shown;
}

int AccessibleWindow::childCount() const
{
    return static_cast<int>(ShownChildren().size());
}

QAccessibleInterface* AccessibleWindow::child(int index) const
{
    const QList<QWidget*> shown = ShownChildren();
    if (index < 0 || index >= shown.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(shown.at(index));
}

int AccessibleWindow::indexOfChild(const QAccessibleInterface* child) const
{
    if (child == nullptr || !child->object() || !child->object()->isWidgetType())
        return -1;
    return static_cast<int>(ShownChildren().indexOf(static_cast<QWidget*>(child->object())));
}

void InstallAccessibleWindow(QWidget& form)
{
    if (FormClass().isEmpty()) {
        FormClass() = QString::fromLatin1(form.metaObject()->className());
        QAccessible::installFactory(&WindowFactory);
    }
    // With an accessibility client listening from the start, the form announced itself while it
    // was built, through Qt's own interface: that one gives way to this.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(&form);
    if (existing != nullptr && dynamic_cast<AccessibleWindow*>(existing) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}
