#pragma once
// FIXME: interface of the drive list, with placeholder bodies until the list is built. The names
// below are what the main window calls; the real widget keeps them.

#include <QComboBox>
#include <string>

class TDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr) : QComboBox(parent) { }

    char Drive() const { return m_Drive; }
    void SetDrive(char letter) { m_Drive = letter; }
    int Count() const { return 0; }
    std::string Item(int) const { return {}; }
    int ItemIndex() const { return -1; }

signals:
    void OnChange();
    void OnClick();

private:
    char m_Drive = 'c';
};
