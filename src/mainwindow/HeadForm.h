#pragma once
// The main window: the account list, the posting grid of the open account's
// kind with its entry row, the working date, the command buttons, the menus and
// the help panel. Its load step runs the whole start-up.
#include "core/Amount.h"
#include "mainwindow/PostingGrid.h"
#include "mainwindow/ScrollRules.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace platform {
class ClickLabel;
class WebPane;
} // namespace platform

namespace fyn {

namespace ledger {
enum class Refusal;
} // namespace ledger

class FolderLock;
class MsgForm;
class RuntimeError;
class NyKontoForm;

class HeadForm : public QMainWindow {
    Q_OBJECT
public:
    explicit HeadForm(QWidget* parent = nullptr);
    ~HeadForm() override;

    // The name dialogs, installed by their library so that the window needs
    // no link to it.
    static std::function<void(HeadForm&)> openTransForm;
    static std::function<void(HeadForm&)> openSubTransForm;
    // Stores a new main transaction name of the open account without showing
    // a dialog: its record, or 0 with the reason in *problem.
    static std::function<long(const QString& name, const QString& sign, QString* problem)>
        saveTransName;
    // The windows of the rest of the program, each installed by its own library; a
    // menu item stays unavailable until its window is installed.
    static std::function<void(HeadForm&)> openBudgAltForm;
    static std::function<void(HeadForm&)> openUtskrStatForm;
    static std::function<void(HeadForm&)> openBackUpForm;
    static std::function<void(HeadForm&)> openDonateForm;

    // ---- Start-up, first run and exit -------------------------------------
    void Form_Load();
    void Inläs_Kontofil();
    void NamnReg();
    void First_account();
    void NoAccount();
    void InstallDag();
    void Exit_Konto();
    void Command4_Click(); // "Avsluta"
    void Ex_mn_Click();

    // ---- Account choice and layout ------------------------------------------
    void Combo3_Click();
    void Konto_Konfig();
    void Inläs();
    void Arr_Kontroller();
    void Lock_Kontroller();
    void Lock_menues();
    void Unlock_menues();
    void Lock_trans();
    void Unlock_trans();
    void Lock_Konto();
    void Unlock_Konto();
    void Radera_KontoNamn();
    void Radko_mn_Click();
    void Reducera_Konto();

    // ---- Account creation -----------------------------------------------------
    void Nykonto_mn_Click();
    void Text10_Click();
    void Text10_MouseMove();
    NyKontoForm& nyKontoForm();

    // ---- Posting grids and scrolling ------------------------------------------
    void GridSetting();
    void ScrollSet_Enkel();
    void ScrollSet_Budget();
    void VSC1_MaxMin();
    void VSC2_MaxMin();
    void Inläs_G1();
    void Inläs_G2();
    void OmLista_Enkel();
    void OmLista_Budget();
    void Rensa_Mark_G1();
    void Rensa_Mark_G2();
    void VScroll1_Change();
    void VScroll2_Change();
    void G1_Click(int row, int col);
    void G2_Click(int row, int col);
    void G1_MouseMove();
    void G2_MouseMove();
    // The refresh chain without the balance check, for the open account's kind.
    void refreshWithoutCheck();

    // ---- Working date -------------------------------------------------------
    void datumset();
    void DatChg();
    void Finder();
    void YearMinus_MouseDown();
    void YearPlus_MouseDown();
    void MonthMinus_MouseDown();
    void MonthPlus_MouseDown();
    void DayMinus_MouseDown();
    void DayPlus_MouseDown();
    void dateLabel_MouseMove();

    // ---- Command buttons and work modes ---------------------------------------
    void Command1_Click(); // "Bekräfta"
    void Command2_Click();
    void Command3_Click();
    void Command3_MouseDown();
    void Com3_Routines();
    // Leaves whatever work mode the window is in through the cancel button's
    // own road, so that every lock of the mode comes off; idle, it does
    // nothing. A restore runs it before it closes the account's files.
    void endWorkMode();
    void AllReset();
    void Command1_MouseMove();
    void Command2_MouseMove();
    void Command3_MouseMove();

    // ---- Posting edits ------------------------------------------------------------
    void Inpost_Enkel();
    void Inpost_Budget();
    void UtPost_Enkel();
    void UtPost_Budget();
    void ChgPost_Enkel();
    void ChgPost_Budget();
    void PostMover_Enkel();
    void PostMover_Budget();
    void SaldoKontroll_Enkel();
    void Saldokontroll_Budget();
    void ReCount_Enkel();
    void Recount_Budget();
    void Skapa_BudgMall();
    // The refresh chain with the balance check, for the open account's kind.
    void refreshWithCheck();

    // ---- Transaction lists and entry fields -------------------------------------
    void Ladda_H_Trans_Budg();
    void Ladda_S_Trans_Budg();
    void Ladda_H_Trans_Enkel();
    void Ladda_S_Trans_Enkel();
    void H_TransOptionEnk_MouseDown();
    void S_TransOptionEnk_MouseDown();
    void H_TransOptionBudg_MouseDown();
    void S_TransOptionBudg_MouseDown();
    void H_TransOptionEnk_MouseMove();
    void S_TransOptionEnk_MouseMove();
    void H_TransOptionBudg_MouseMove();
    void S_TransOptionBudg_MouseMove();
    void TransCombo_Enkel_DropDown();
    void TransCombo_Budget_DropDown();
    void TransCombo_Enkel_Click();
    void TransCombo_Budget_Click();
    void Bel_Enkel_KeyDown();
    void BudgBel_Budget_KeyDown();
    void VerklBel_Budget_KeyDown();
    // keyAscii 13 (Enter) ends the amount; other keys pass.
    void Bel_Enkel_KeyPress(int keyAscii);
    void BudgBel_Budget_KeyPress(int keyAscii);
    void VerklBel_Budget_KeyPress(int keyAscii);
    void Bel_Enkel_MouseUp();
    void Bel_Enkel_MouseMove();
    void BudgBel_Budget_MouseMove();
    void VerklBel_Budget_MouseMove();

    // ---- Menus, help panel, web pages and drives -------------------------------
    void bupl_mn_Click();
    void utskrstat_mn_Click();
    void Bu_mn_Click();
    void over_mn_Click();
    void trans_mn_Click();
    void acc_mn_Click();
    void butts_mn_Click();
    void bdg_mn_Click();
    void utstat_mn_Click();
    void Update_mn_Click();
    void kritisk_mn_Click();
    void Donera_mn_Click();
    void Command14_Click(); // "Donera"
    void Picture1_Click();
    void Picture1_MouseMove();
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Frame2_MouseMove();
    void Frame3_MouseMove();
    void WebBrowser1_DocumentComplete(const QString& url);
    void DriveCount(qint16& count);
    void DriveLista();

    // ---- Fund account ---------------------------------------------------------
    void Label12_MouseMove();
    void Label12_Click();
    void Skapa_StdTrans();
    // The information window, once it has been shown.
    MsgForm* msgForm() const;

    // ---- The transaction text box: swap and the name dialogs ------------------
    void TransText_Enkel_MouseDown();
    void TransText_Budget_MouseDown();
    void TransText_Enkel_MouseMove();
    void TransText_Budget_MouseMove();
    // Swaps the marked posting's transaction (or every posting of it); false
    // when nothing was changed.
    bool ChgAccountTrans();
    QString SwapScope; // "one" or "all"

    // The window's own state, read by the dialogs and the tests.
    QString FormDate;
    int WorkYear = 0;
    int WorkMonth = 0;
    int WorkDay = 0;
    int PrevKontoNum = 0;
    int PostLength = 0;
    int HelpHold = 0;
    QString SaldoInFlag = QStringLiteral("0");
    QString NyttSaldoText;
    QString MoveState;
    long MoveFirstRec = 0, MoveLastRec = 0;
    int MoveFirstRow = 0, MoveLastRow = 0;
    int ClickedRow = -1;

    // Grid window state.
    std::array<std::array<QString, 12>, 10> GridRows;
    long WindowEnd = 0;
    int MarkRow = -1;
    long MarkRecord = 0;
    long MarkTransNr = 0;
    QString MarkSign;
    QString BudgBelText, BudgBelOld, VerklBelText, VerklBelOld;
    QString OldTransName;
    // The change of a marked posting's amounts, new less old.
    Amount ChangeDiffBudg, ChangeDiffVerkl;

    // Controls, named as the program names them.
    QMenu* Ark_mn;
    QMenu* KB_InfAnv_mn;
    QAction *Nykonto_mn, *Radko_mn, *Ex_mn, *bupl_mn, *utskrstat_mn, *Bu_mn;
    QAction *over_mn, *trans_mn, *acc_mn, *butts_mn, *bdg_mn, *utstat_mn, *Update_mn, *kritisk_mn,
        *Donera_mn;

    platform::ClickLabel* Picture1;
    platform::WebPane* WebBrowser1;
    QGroupBox* Frame4;
    QLabel* Label22;
    QComboBox* Combo3;
    QLineEdit* Text10;

    QGroupBox* Frame1; // simple account
    QLabel *Label16, *Label17;
    QLabel *Label1, *Label10, *Label11;
    platform::ClickLabel* Label12;
    PostingGrid* G1;
    QScrollBar* VScroll1;
    QRadioButton *H_TransOptionEnk, *S_TransOptionEnk;
    QComboBox* TransCombo_Enkel;
    QLabel* TransLabel_Enkel;
    QLineEdit* TransText_Enkel;
    QLineEdit* Bel_Enkel;

    QGroupBox* Frame2; // budget account
    QLabel *Label20, *Label21;
    QLabel *Label2, *Label3, *Label4;
    PostingGrid* G2;
    QScrollBar* VScroll2;
    QRadioButton *H_TransOptionBudg, *S_TransOptionBudg;
    QComboBox* TransCombo_Budget;
    QLabel* TransLabel_Budg;
    QLineEdit* TransText_Budget;
    QLineEdit *BudgBel_Budget, *VerklBel_Budget;

    QGroupBox* Frame3; // the working date
    platform::ClickLabel *YearShow, *MonthShow, *DayShow;
    platform::ClickLabel *YearMinus, *YearPlus, *MonthMinus, *MonthPlus, *DayMinus, *DayPlus;

    QLabel *Label28, *Label29, *Label30;
    QPushButton *Command1, *Command2, *Command3, *Command14, *Command4;
    QListWidget* UnitList; // the drive list, never shown

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    void buildControls();
    void placeForKind(bool budget);
    // Sets what the window's state allows; an item whose window is not
    // installed stays unavailable all the same.
    void setAvailable(QAction* a, bool on);
    bool hasEntry(QAction* a) const;
    // Whether the item may run now, whatever the window's state wants of it.
    bool runnable(QAction* a) const;
    void refreshEntries();
    void wireMenus();
    bool helpPanelEvent(QObject* watched, QEvent* e);
    // The fund account's standard transaction: its Transakt record, or 0.
    long standardTransaction() const;
    void setHelp(const QString& heading, const QString& text);
    bool isBudget() const;
    PostingGrid* grid() const;
    QScrollBar* scrollBar() const;
    void loadGrid(bool budget);
    void writeGrid(bool budget);
    void clearMark(bool budget);
    void scrollChanged(bool budget);
    void gridClick(bool budget, int row, int col);
    void placeWindow(bool budget);
    void fillMainList(QComboBox* combo, const QString& prompt);
    void fillSubList(QComboBox* combo);
    void wireEntry();
    void wireCommands();
    bool entryEvent(QObject* watched, QEvent* e);
    void optionDown(bool budget, bool sub);
    // While a posting is marked, the list takes a pick only for that posting:
    // the sub list, whose pick adds or replaces its subtransaction.
    void markedList(bool budget);
    void optionHelp(bool budget, bool sub);
    void comboDropDown(bool budget);
    void comboClick(bool budget);
    void mainChosen(bool budget);
    void subChosen(bool budget);
    void amountKeyDown(QLineEdit* box);
    void amountEnter(QLineEdit* box);
    void balanceEntered();
    void amountHelp(QLineEdit* box);
    void showLocked(QLineEdit* box);
    void insertEntry(bool budget);
    void removeMarked(bool budget);
    void changeMarked(bool budget);
    void moveRange(bool budget);
    void checkBalances(bool budget);
    void recountBalances(bool budget);
    void stepDate(int years, int months, int days);
    bool showWorkDate();
    void labelsToWorkDate();
    void listAccounts();
    bool transTextEvent(QObject* watched, QEvent* e);
    void transTextPressed(bool budget);
    void swapDialogue(bool budget);
    void changeMainName(bool budget);
    void changeSubName(bool budget);
    void newMainName(bool budget, bool ask);
    void newSubName(bool budget, bool ask);
    void transTextHover(bool budget);
    void swapChosen(bool budget, const QString& name, const QString& sign);
    void swapAsked(bool budget, const QString& name, const QString& sign);
    void accountGone();
    void removeOnlyPosting(bool budget);
    void missingAccountFolder(const QString& name, const QString& folder, bool atStart);
    // Why a name from the register cannot be opened as a folder of the data
    // folder; empty when it can.
    static QString accountRefusal(const QString& name);
    void refusedAccount(int number, const QString& name, const QString& why);
    void logAccountFault(const QStringList& lines, bool atStart);
    void openAtStart();
    void openFirstAvailable(bool atStart);
    void lockDataFolder();
    void createDataFolder();
    void startWritesRefused(const RuntimeError& e, bool journalWaits, bool firstStart);
    QString accountTextFor(int number) const;

    GridWindow gridWindow_;
    std::map<QAction*, bool> wanted_;
    bool menusLocked_ = false; // an entry is under way: "Arkiv" waits
    QPointer<MsgForm> msgForm_;
    QChar FelSepMember = QChar(0xA6);
    NyKontoForm* nyKontoForm_ = nullptr;
    bool exiting_ = false;
    // Held while the window runs, so that a second copy cannot write beside it.
    std::unique_ptr<FolderLock> lock_;
};

} // namespace fyn
