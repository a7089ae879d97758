#pragma once
// The donation window: how to send the author a voluntary donation, with the
// donation page fetched by a small web pane.
#include <QWidget>

class QLabel;
class QPushButton;

namespace platform {
class WebPane;
} // namespace platform

namespace fyn {

class HeadForm;

class DonateForm : public QWidget {
    Q_OBJECT
public:
    explicit DonateForm(HeadForm& head);
    HeadForm& head() const { return head_; }

    // Shows the window beside the main window, which it disables until it closes.
    void Form_Load();
    void WebBrowser1_DocumentComplete(const QString& url);
    void Command2_Click(); // "Avbryt": the main window enabled again, the window gone

    QLabel* Label1;
    platform::WebPane* WebBrowser1;
    QPushButton* Command2;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    HeadForm& head_;
    bool closing_ = false;
};

// The text of the window.
QString donationText();

// The one window, made when it is first shown and gone when it closes.
void showDonateForm(HeadForm& head);
// Lets the main window's "Donera" open it.
void installDonateForm();

} // namespace fyn
