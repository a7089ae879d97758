#pragma once
// The register of public holidays ("Röda dagar"): a holiday typed by name,
// dated with the steppers and saved; a listed one fetched for change or
// removal. Opened from the budgeting dialog, which it disables while open.
#include "budget/RedDays.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace platform {
class ClickLabel;
} // namespace platform

namespace fyn {

class BudgAltForm;

class HolidayForm : public QWidget {
    Q_OBJECT
public:
    explicit HolidayForm(BudgAltForm& caller);

    void Form_Load();
    void Text1_KeyPress(int keyAscii);
    void YearLabel_MouseDown();
    void MonthLabel_MouseDown();
    void DayLabel_MouseDown();
    void YearPos_MouseDown();
    void YearNeg_MouseDown();
    void MonthPos_MouseDown();
    void MonthNeg_MouseDown();
    void DayPos_GotFocus();
    void DayNeg_GotFocus();
    void DayPos_MouseDown();
    void DayNeg_MouseDown();
    void G4_MouseDown(int row);
    void Command1_MouseDown(); // OK
    void Command2_MouseDown(); // "Avbryt"
    void Command3_MouseDown(); // "Avsluta"
    void Command4_MouseDown(); // "Ta bort"

    int DagMon() const;
    void Close_Fields();
    void Open_Fields();

    // The window's state, read by the tests.
    QString RedDayRef = QStringLiteral("0");
    QString RedDayNamn, RedDayDatum;
    QString YearText, MonthText, DayText;
    QString DayFlag;
    const budget::Register& registerNow() const { return reg_; }

    QLineEdit* Text1;
    QTableWidget* G4;
    platform::ClickLabel *YearLabel, *MonthLabel, *DayLabel;
    QToolButton *YearPos, *YearNeg, *MonthPos, *MonthNeg, *DayPos, *DayNeg;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QPushButton *Command1, *Command2, *Command3, *Command4;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Stepper {
        int value = 0;
        budget::Range range;
    };
    void fillList();
    void showOutdated();
    void setInstruction(bool atLoading);
    void openMonths(int year);
    void openDays();
    void step(Stepper& s, int by);
    void yearStep(int by);
    void monthStep(int by);
    void followMonth();
    void dayGotFocus();
    void dayStep(int by);
    bool save(const std::function<void(budget::Register&)>& edit, const QString& routine);
    QString path() const;

    BudgAltForm& caller_;
    budget::Register reg_;
    Stepper year_, month_, day_;
    bool closing_ = false;
};

} // namespace fyn
