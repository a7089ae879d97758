#pragma once
// The backup dialog: the user picks backup or restore, a drive, the scope (the
// open account or every account) and, for a restore, the backup folder; the
// dialog then copies. It stands beside the main window, which stays enabled.
#include "services/BackupOps.h"

#include <QString>
#include <QWidget>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace fyn {

class HeadForm;

class BackUpForm : public QWidget {
    Q_OBJECT
public:
    explicit BackUpForm(HeadForm& head);
    HeadForm& head() const { return head_; }

    void Form_Load();
    void Command1_Click(); // "Avbryt"
    void Command2_Click(); // "Avsluta"
    void Command3_Click(); // "BackUp"
    void Command4_Click(); // "Återställ"
    // A press on an entry of the drive list; a press beside the entries is none.
    void DrvList_MouseDown(QListWidgetItem* item);
    void Option1_MouseDown(); // "Detta konto"
    void Option2_MouseDown(); // "Alla konton"
    // A press on a backup folder; a press beside the entries does nothing.
    void Dir1_MouseDown(QListWidgetItem* item);
    void DriveCount(qint16& count);
    void Enhetslista();

    // The four operations; a restore tells whether its copy ran.
    void KontoBackUp();
    void AllBackUp();
    bool KontoRecover(const QString& source);
    bool AllRecover(const QString& source);

    QPlainTextEdit* Text1;
    QPushButton* Command3;
    QPushButton* Command4;
    QLabel* Label1;
    QListWidget* DrvList;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QListWidget* Dir1;
    QLabel* Label2;
    QPushButton* Command1;
    QPushButton* Command2;

    QString BackupMode;      // "BU", "RE" or empty
    QString BackupDrive;     // the chosen drive's root
    int BackupDriveType = 0; // its type, as the drive list gives it
    int FullHeight = 0;      // twips
    QString RestoreScope;    // "1" this account, "0" all accounts, or empty
    QString BackupTarget;    // the last backup made

    // An operation is running: the dialog takes no presses.
    bool busy() const { return busy_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool optionArrow(QObject* watched, QEvent* e);
    // A drive that holds only Windows names refuses, up front, a copy it could
    // not take whole; true when the copy may go on.
    bool namesFit(bool thisAccount);
    void enterMode(const QString& mode, int optionLeft, const QString& waitText,
                   const QString& guide);
    // The account that "Detta konto" meant when the user said yes to it.
    struct Account {
        int num = 0;
        QString name;
        QString slag;
        bool operator==(const Account&) const = default;
    };
    class Busy;
    static Account currentAccount();
    bool accountUsable();
    bool accountUnchanged();
    void scopePressed(bool thisAccount);
    void setFull(bool full);
    void hideChoices();
    // Sets the options' marks as the dialog's own doing, not a choice.
    void setScope(bool thisAccount, bool allAccounts);
    void uncheckOptions();
    void placeDriveList(bool restore);
    void showDrivePaths();
    static QString leftInPlace();
    void showModeButtons();
    void startLayout();
    void noScope();
    void listBackups(bool thisAccount);
    void refuse(const QString& refusal, bool thisAccount);
    bool confirmRestore(const QString& source, bool thisAccount);
    bool confirmName(const QString& source, bool thisAccount);
    bool confirmLeftOut(const std::vector<backup::LeftOut>& leftOut);

    HeadForm& head_;
    Account chosen_;
    bool busy_ = false;
    bool closing_ = false;
    bool settingScope_ = false;
};

// The one dialog, made when it is first opened and gone when it closes.
void showBackUpForm(HeadForm& head);
// Lets the main window's "Back-up" open it.
void installBackUpForm();

} // namespace fyn
