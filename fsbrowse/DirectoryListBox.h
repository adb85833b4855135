#pragma once
// FIXME: interface of the directory list, with placeholder bodies until the list is built. The
// names below are what the main window calls; the real widget keeps them.

#include <QListWidget>
#include <string>

class TDirectoryListBox : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr) : QListWidget(parent) { }

    // Directory read; writing it is SetDirectory.
    std::string Directory() const { return {}; }
    void SetDirectory(const std::string&) { }
    char Drive() const { return 'c'; }
    void SetDrive(char) { }
    void Rebuild() { }
    int Count() const { return 0; }
    std::string Item(int) const { return {}; }
    int ItemIndex() const { return -1; }
    void SetItemIndex(int) { }
    std::string GetItemPath(int) const { return {}; }

    int ItemHeight() const { return m_ItemHeight; }
    void SetItemHeight(int height) { m_ItemHeight = height; }

signals:
    void OnClick();
    void OnDblClick();
    void OnChange();

private:
    int m_ItemHeight = 16;
};
