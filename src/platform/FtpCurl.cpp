#include "platform/Platform.h"

#include <QFile>
#include <QUrl>
#include <cstdio>
#include <curl/curl.h>

namespace platform {

namespace {

size_t readFromFile(char* buffer, size_t size, size_t count, void* userdata) {
    auto* in = static_cast<std::FILE*>(userdata);
    const size_t got = std::fread(buffer, size, count, in);
    // A read error must not pass for the end of the file: that would send a
    // cut report and call it sent.
    if (got == 0 && std::ferror(in))
        return CURL_READFUNC_ABORT;
    return got;
}

class CurlFtp final : public Ftp {
public:
    CurlFtp() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlFtp() override { curl_global_cleanup(); }

    FtpResult putFile(const FtpTarget& t, const QString& localPath,
                      const QString& remoteName) override {
        std::FILE* in = std::fopen(QFile::encodeName(localPath).constData(), "rb");
        if (!in)
            return {false, QStringLiteral("Kan inte läsa filen %1").arg(localPath)};
        CURL* curl = curl_easy_init();
        if (!curl) {
            std::fclose(in);
            return {false, QStringLiteral("FTP kunde inte startas")};
        }
        const QByteArray url = "ftp://" + QUrl::toAce(t.host) + ':' + QByteArray::number(t.port) +
                               '/' + QUrl::toPercentEncoding(remoteName);
        const QByteArray user = t.user.toUtf8();
        const QByteArray pass = t.password.toUtf8();
        char errbuf[CURL_ERROR_SIZE] = {0};

        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, pass.constData());
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, readFromFile);
        curl_easy_setopt(curl, CURLOPT_READDATA, in);
        curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L); // binary
        curl_easy_setopt(curl, CURLOPT_FTPPORT, nullptr); // passive
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(t.connectTimeoutSeconds));
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(t.responseTimeoutSeconds));
        // A stalled transfer ends too: under 1 byte/s for the response time-out.
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(t.responseTimeoutSeconds));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);

        const CURLcode rc = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        std::fclose(in);
        if (rc == CURLE_OK)
            return {true, {}};
        QString why = QString::fromLocal8Bit(errbuf);
        if (why.isEmpty())
            why = QString::fromLocal8Bit(curl_easy_strerror(rc));
        return {false, why};
    }
};

} // namespace

std::unique_ptr<Ftp> makeCurlFtp() {
    return std::make_unique<CurlFtp>();
}

} // namespace platform
