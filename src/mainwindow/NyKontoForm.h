#pragma once
// The account dialog: name, number and kind of a new account, checked, then
// created, registered and opened.
#include <QWidget>

class QColor;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fyn {

class HeadForm;

class NyKontoForm : public QWidget {
    Q_OBJECT
public:
    explicit NyKontoForm(HeadForm& head);

    void Form_Load(); // shows the dialog beside the main window and disables it
    void Option1_MouseUp();
    void Option2_MouseUp();
    void Command1_Click(); // "OK"
    void Command2_Click(); // "Avbryt Nytt konto"
    void Skapa_Konto();

    QString Kind; // "Bg", "Ek" or "" until an option is clicked

    QLabel *Label1, *Label2, *Label4;
    QLineEdit *Text1, *Text2;
    QRadioButton *Option1, *Option2;
    QPushButton *Command1, *Command2;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void showMessage(const QString& text, const QColor& colour);
    void showOpeningText();
    void closeDialog(); // stores the position, enables the main window, hides

    HeadForm& head_;
    // The checked name and number, made current only once the account exists.
    QString newName_, newNumber_;
};

} // namespace fyn
