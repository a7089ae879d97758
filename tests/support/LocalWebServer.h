#pragma once
// A small web server on 127.0.0.1 for the tests of the web panes: it serves
// the pages it is given and records the paths asked for.
#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;

namespace fyn::test {

class LocalWebServer : public QObject {
    Q_OBJECT
public:
    // Listens on a free port at once.
    LocalWebServer();
    ~LocalWebServer() override;
    // "http://127.0.0.1:<port>/"
    QString base() const;
    void serve(const QString& path, const QByteArray& html) { pages_[path] = html; }
    // Request paths in order ("/Fyn_5.php").
    QStringList requests;

private:
    void answer();
    QTcpServer* server_;
    QMap<QString, QByteArray> pages_;
};

} // namespace fyn::test
