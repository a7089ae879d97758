#pragma once
// The error-report form: the user describes the failure, "Skicka" writes the
// report file and sends it to the author by FTP.
#include "platform/Platform.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace fyn {

class RappForm : public QDialog {
    Q_OBJECT
public:
    explicit RappForm(QWidget* parent = nullptr);

    void Command1_Click(); // "Skicka"
    void Command2_Click(); // "Avbryt"

protected:
    void reject() override { Command2_Click(); }

private:
    QLabel* Label1;
    QPlainTextEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
};

// "FelRapport_Fynlar" + yyyymmdd + hhmmss, from today's date text and a time "hh:mm:ss".
QString reportFileName(const QString& dagensDatum, const QString& time);
// The lines of the report (each is written with CR LF after it).
QStringList reportLines(const QString& sysFel, const QString& dagensDatum, const QString& time,
                        const QString& anvNamn, const QString& installDatum, const QString& message,
                        const QString& felDump);

// The login of the report upload.
platform::FtpTarget FtpLogin();
// Sends the file named in FelRapportPath.
platform::FtpResult FtpSendReport(const platform::FtpTarget& login);

// Shows the form modally; what the general error routine calls on "Ja".
void showRappForm();
// Makes the general error routine open this form.
void installReportForm();

} // namespace fyn
