#pragma once
// The one-line input box.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace fyn {

class InsetBox : public QDialog {
    Q_OBJECT
public:
    explicit InsetBox(QWidget* parent = nullptr);

    // Lays the box out for a prompt, a title and a default answer.
    void prepare(const QString& prompt, const QString& title, const QString& defaultText);

    void Text1_Enter();
    void Command1_Click(); // "OK"
    void Command2_Click(); // "Avbryt"

protected:
    void reject() override; // Escape or the close box: as "Avbryt"
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void resetLayout();
    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
};

// Asks for one line of text; "" when cancelled.
QString InsetInput(const QString& prompt, const QString& title, const QString& defaultText);

// The one instance, created at first use.
InsetBox& insetBox();

} // namespace fyn
