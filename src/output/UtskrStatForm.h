#pragma once
// The output dialog: an account of the register, a period and a listing
// variant, listed on the screen fifteen rows a page, into a text file or on
// the printer; or the statistics of one main transaction, with its diagram.
// It reads the account's files and writes nothing but its window position.
#include "output/Diagram.h"
#include "output/Listing.h"
#include "output/Period.h"
#include "output/PrintListing.h"
#include "output/ScreenPages.h"
#include "output/Statistics.h"
#include "output/TextListing.h"

#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace platform {
class ClickLabel;
class DrawingArea;
} // namespace platform

namespace fyn {

class DropDownCombo;
class HeadForm;

class UtskrStatForm : public QWidget {
    Q_OBJECT
public:
    explicit UtskrStatForm(HeadForm& head);
    HeadForm& head() const { return head_; }

    // ---- Opening, closing and the account choice ---------------------------
    void Form_Load();
    void Command3_Click();  // "Avsluta"
    void Label28_MouseUp(); // "Hjälp"
    void Inläs_Konton();
    void Inläs_Transakt();
    void Combo1_DropDown();
    void Combo1_Click();
    void Check1_MouseUp();
    void Check2_MouseUp();
    void Check3_MouseUp();
    void Option1_MouseUp();
    void Option2_MouseUp();
    void Option3_MouseUp();
    void Text2_MouseUp();
    void List4_MouseUp();
    void Command1_Click(); // "Utskrift"
    void Command2_MouseUp();
    void Avbr_Konto();
    void Avbr_Statistik();
    void Avbryt_Skarmutskr();
    void Avbr_FilUtskr();
    void Avbr_PrUtskr();

    // ---- The period --------------------------------------------------------
    // False when the account's posting file could not be read (reported).
    bool InitDatum();
    void Label7_Click();
    void Label8_Click();
    void Label11_Click();
    void Label12_Click();
    void Label9_Click();
    void Label10_Click();
    void List1_MouseUp();
    void List2_MouseUp();
    void List3_MouseUp();
    void Form_MouseUp();
    void Datum_Jmf();
    void Datum_Reset();

    // ---- The screen listing ------------------------------------------------
    void ScreenPrint();
    // Draws one page of the variant from TopRec (ScPr_1..ScPr_6).
    void ScPr(output::Variant v);
    void ScrollButtons();
    void UtskrLevel();
    void Command4_MouseUp(); // one row up
    void Command5_MouseUp(); // fifteen rows up
    void Command6_MouseUp(); // one row down
    void Command7_MouseUp(); // fifteen rows down

    // ---- The text-file listing ---------------------------------------------
    void FilePrint();
    void UtskrMedd();

    // ---- The printed listing -----------------------------------------------
    void PrPrint();
    // Prints the variant from the set-up box to the confirmation (PriPr_1..PriPr_6).
    void PriPr(output::Variant v);
    void PrinterMsg();

    // ---- The statistics of one transaction ---------------------------------
    void Trans_Stat();
    void ScPr_7();
    void FilPr_7();
    void PriPr_7();

    // ---- The diagram -------------------------------------------------------
    void Command8_Click();  // "Visa diagram"
    void Command9_Click();  // "Nästa" / "Från början"
    void Command10_Click(); // "Avsluta diagram"
    void Diagram_Setup();
    void DiagramSkapa();

    // The variant the check boxes ask for, for the chosen account's kind.
    output::Variant chosenVariant() const;
    // The form's height in twips as the window states it: 3525 while the
    // user chooses, 8280 while a table is shown.
    void setFormHeight(int twipsHigh);
    int formHeight() const { return formHeight_; }

    // The dialog's state, named as the dialog names it.
    int OutKontoNum = 0;
    QString OutKontoNamn;
    QString OutDataFolder;
    QString OutKontoSlag;
    QString CancelState;
    int StatMode = 0;
    int StatTransNr = 0;
    QString StatTransNamn;
    QString StatTransTecken; // the chosen transaction's sign, for the diagram
    QString OutputLevel;
    int StatCount = 0;
    // Set by the statistics while their screen result stands, so that a
    // period change follows it.
    bool StatOnScreen = false;

    QString PeriodStartYear, PeriodStartMonth, PeriodStartDay;
    QString PeriodStopYear, PeriodStopMonth, PeriodStopDay;
    QString FileFirstDate, FileLastDate;
    QString AcceptedStartDate, AcceptedStopDate;
    int RecCount = 0;
    int StartRec = 1;
    int TopRec = 1;
    int StopRec = 0;
    int PeriodLabelNr = 0;

    // The statistics of the chosen transaction, and their summary line.
    output::Statistics Stat;
    QString StatSummary;
    // The diagram's paging (its "Matris" is more), kept apart from the
    // table's page so that closing the diagram leaves the table as it was.
    output::DiagramPaging Diagram;
    int XF = 0;
    int D22 = 0;

    QString OutFileName;
    // The chosen account's postings and names.
    output::AccountData Data;
    // The row being listed, for the error reports.
    output::LineText CurrentLine;
    int CurrentRecord = 0;

    // Controls, named as the dialog names them.
    QLabel* Label1;
    DropDownCombo* Combo1;
    QLineEdit* Text1;
    QCheckBox *Check1, *Check2, *Check3;
    QLabel* Label13;
    QRadioButton *Option1, *Option2, *Option3;
    QPushButton *Command1, *Command2, *Command3;
    QLabel* Label2;
    QLineEdit* Text2;
    QListWidget* List4;
    QLabel* Label14;
    platform::ClickLabel* Label28;
    QLabel *Label3, *Label4, *Label5, *Label6; // "Tidsperiod", the dashes
    platform::ClickLabel *Label7, *Label8, *Label9, *Label10, *Label11, *Label12;
    QListWidget *List1, *List2, *List3;

    QFrame* Frame1;
    QTableWidget* Grid1;
    QLabel *Label15, *Label16, *Label17, *Label18, *Label19, *Label20, *Label21, *Label22, *Label24,
        *Label25;
    QPushButton *Command4, *Command5, *Command6, *Command7;
    QLabel *Label26, *Label27; // the statistics' title and summary
    QPushButton* Command8;     // "Visa diagram"
    platform::DrawingArea* Picture1;
    QLabel *L6, *L7, *L8, *L9;
    QPushButton *Command9, *Command10;

protected:
    void closeEvent(QCloseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void buildPeriod();
    void buildScreen();
    void buildStatistics();
    void wire();
    void noAccount();
    void enableStatisticsEntry(bool on);
    void enableDestinations(bool on);
    void clearDestination();
    void clearChecks();
    void hideTable();
    void checkReleased();
    void scroll(output::Scroll s);
    void openList(int labelNr);
    void hideLists();
    void listChosen(QListWidget* list);
    void showPeriod();
    bool loadAccount();
    void layoutTable(output::Variant v);
    void layoutStatTable();
    void drawRows(output::Variant v);
    void drawStatRows();
    void closeDiagram();
    // The print set-up box; null when it was cancelled, or when the PDF file
    // chosen there may not be written.
    std::unique_ptr<platform::PrintJob> printSetup();
    // Refuses a listing or a printout to path with a message, before anything
    // is written; false when it may be written.
    bool refusedOutput(const QString& path);
    // The save box for a text file: a path refusedOutput refuses is refused
    // before anything is asked about it. Empty when cancelled or refused.
    QString chooseTextFile();
    void closeDialog();
    QString checkValue(QCheckBox* c) const;

    HeadForm& head_;
    int formHeight_ = 0;
    bool closing_ = false;
};

// The dialog, while it is open.
UtskrStatForm* utskrStatForm();
// Opens it beside the main window, which it disables until it closes.
void showUtskrStatForm(HeadForm& head);
// Lets the main window's "Utskrift o Statistik" open it.
void installOutputDialog();

} // namespace fyn
