#pragma once
// The fund-account information window: what a balance entry is, offered while
// a simple account has no standard transaction, until "Visa inte igen".
#include <QString>
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace fyn {

class HeadForm;

class MsgForm : public QWidget {
    Q_OBJECT
public:
    explicit MsgForm(HeadForm& head);

    // Shows the window (without taking the focus from the main window), at its
    // stored place or, the first time, where it covers neither the "Saldo"
    // heading nor the entry row.
    void Form_Load();
    // Loads the window without showing it: its place restored, or the clear
    // place stored as its own when none is stored yet.
    void load();
    // "OK": stores the place, hides the window and applies "Visa inte igen".
    void Command3_Click();
    // The account the information is shown for; "Visa inte igen" marks it.
    void offerFor(int kontoNum, const QString& kontoNamn);

    QPlainTextEdit* Text1;
    QCheckBox* Check1;
    QPushButton *Command1, *Command2, *Command3;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void markAccount();

    HeadForm& head_;
    bool loaded_ = false;
    int kontoNum_ = 0;
    QString kontoNamn_;
};

} // namespace fyn
