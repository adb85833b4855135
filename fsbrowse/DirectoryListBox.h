#pragma once
// FIXME: placeholder until the directory list is built; it keeps the window design's place.

#include <QListWidget>

class TDirectoryListBox : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr) : QListWidget(parent) { }
    int ItemHeight() const { return m_ItemHeight; }
    void SetItemHeight(int height) { m_ItemHeight = height; }

signals:
    void OnClick();

private:
    int m_ItemHeight = 16;
};
