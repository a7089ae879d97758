#pragma once
// The subtransaction dialog: a new subtransaction name for the open account,
// or the rename or deletion of the one the main window shows.
#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fyn {

class HeadForm;

class SubTransForm : public QWidget {
    Q_OBJECT
public:
    explicit SubTransForm(HeadForm& head);
    HeadForm& head() const { return head_; }

    void Form_Load();
    void Option1_MouseUp(); // "Ändra"
    void Option2_MouseUp(); // "Radera"
    void Text1_KeyPress(int keyAscii);
    void Command2_Click(); // "OK"
    void Command1_Click(); // "Avbryt"; also the end of rename and delete

    void SubTransSpar();
    void SubTransRadera_Budget();
    void SubTransRadera_Enkel();

    QString SubRenameFlag = QStringLiteral("0");

    QLabel *Label1, *Label2;
    QLineEdit* Text1;
    QRadioButton *Option1, *Option2;
    QPushButton *Command1, *Command2;
    QAction* hlp_mn;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool budget() const;
    QLineEdit* transText() const;
    QComboBox* transCombo() const;
    bool listsSubs() const;
    void SubTransRadera(bool budget);
    void pickSaved();
    void setHint(const QString& text, bool green = false);

    HeadForm& head_;
    // The record the dialog works on in "chg" mode, found from the shown name.
    long record_ = 0;
    bool renaming_ = false; // "Ändra" chosen, the name box is open
};

} // namespace fyn
