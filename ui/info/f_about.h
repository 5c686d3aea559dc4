#pragma once
// The about box: title, description, version, rights holder, the version
// history and a button that starts the system-information tool where the
// platform has one. Modal, without owner, built afresh at every opening.
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vintrop {

class F_ABOUT : public QDialog {
    Q_OBJECT
public:
    explicit F_ABOUT(QWidget* parent = nullptr);

    // Starts the system-information tool, or says it is not available.
    void StartSysInfo();
    // One value of the platform's configuration registry; see sysinfo.h.
    static bool GetKeyValue(uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                            QString& KeyVal);

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillUpgrades();

    QTreeWidget* m_lvwUpgrades = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdSysInfo = nullptr;
};

} // namespace vintrop
