#pragma once
// FIXME: interface of the file list, with placeholder bodies until the list is built. The names
// below are what the main window calls; the real widget keeps them.

#include <QListWidget>
#include <string>

class TFileListBox : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Mask READ MaskText WRITE SetMaskText)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
public:
    explicit TFileListBox(QWidget* parent = nullptr) : QListWidget(parent) { }

    // Directory read; writing it is ApplyPath.
    std::string Directory() const { return {}; }
    void ApplyPath(const std::string&) { }
    int Count() const { return 0; }
    std::string Item(int) const { return {}; }
    int ItemIndex() const { return -1; }
    void SetItemIndex(int) { }

    QString MaskText() const { return m_Mask; }
    void SetMaskText(const QString& mask) { m_Mask = mask; }
    int ItemHeight() const { return m_ItemHeight; }
    void SetItemHeight(int height) { m_ItemHeight = height; }

signals:
    void OnClick();
    void OnChange();

private:
    QString m_Mask = "*.*";
    int m_ItemHeight = 13;
};
