#pragma once
// FIXME: placeholder until the drive list is built; it keeps the window design's place.

#include <QComboBox>

class TDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr) : QComboBox(parent) { }
    char Drive() const { return m_Drive; }
    void SetDrive(char letter) { m_Drive = letter; }

signals:
    void OnChange();

private:
    char m_Drive = 'c';
};
