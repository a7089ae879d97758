#pragma once
// The account dialog: name, number and kind of a new account, checked, then
// created, registered and opened.
#include <QWidget>
#include <functional>

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

    // An account's folder that the data folder holds but the register does
    // not list, as the backup's checks of a restored account read it.
    struct LeftFolder {
        QString refusal; // why it can be no account; empty when it can
        QString slag;    // the kind its files are
        long postings = 0;
    };
    // Installed by the backup library; without it such a folder is refused as
    // an existing account. Takes the name and the kind the user chose; throws
    // a RuntimeError when the folder cannot be read.
    static std::function<LeftFolder(const QString& name, const QString& chosen)> readLeftFolder;

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
    // Offers to take the unlisted folder of the name up again as an account;
    // false when there is no such folder to offer.
    bool offerLeftFolder(const QString& name, const QString& number);
    // After an account was made or taken up: another, or back to the main window.
    void askForAnother();

    HeadForm& head_;
    // The checked name and number, made current only once the account exists.
    QString newName_, newNumber_;
};

} // namespace fyn
