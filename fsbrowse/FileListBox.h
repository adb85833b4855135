#pragma once
// FIXME: placeholder until the file list is built; it keeps the window design's place.

#include <QListWidget>

class TFileListBox : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
public:
    explicit TFileListBox(QWidget* parent = nullptr) : QListWidget(parent) { }
    QString Mask() const { return m_Mask; }
    void SetMask(const QString& mask) { m_Mask = mask; }
    int ItemHeight() const { return m_ItemHeight; }
    void SetItemHeight(int height) { m_ItemHeight = height; }

signals:
    void OnClick();

private:
    QString m_Mask = "*.*";
    int m_ItemHeight = 13;
};
