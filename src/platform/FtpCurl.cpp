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

// What went wrong, from libcurl's code; answered tells whether the server had
// said anything at all before a time-out.
FtpFailure failureOf(CURLcode rc, bool answered) {
    switch (rc) {
    case CURLE_LOGIN_DENIED:
        return FtpFailure::LoginRefused;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_WEIRD_SERVER_REPLY: // something answered, but no FTP server
        return FtpFailure::Unreachable;
    case CURLE_OPERATION_TIMEDOUT:
        return answered ? FtpFailure::ConnectionBroken : FtpFailure::Unreachable;
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return FtpFailure::ConnectionBroken;
    case CURLE_READ_ERROR:
    case CURLE_ABORTED_BY_CALLBACK: // our read callback gave up
        return FtpFailure::FileUnreadable;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_REMOTE_FILE_EXISTS:
        return FtpFailure::FileRefused;
    default:
        return FtpFailure::Other;
    }
}

class CurlFtp final : public Ftp {
public:
    CurlFtp() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlFtp() override { curl_global_cleanup(); }

    FtpResult putFile(const FtpTarget& t, const QString& localPath,
                      const QString& remoteName) override {
        std::FILE* in = std::fopen(QFile::encodeName(localPath).constData(), "rb");
        if (!in)
            return {false, QStringLiteral("Kan inte läsa filen %1").arg(localPath),
                    FtpFailure::FileUnreadable};
        CURL* curl = curl_easy_init();
        if (!curl) {
            std::fclose(in);
            return {false, QStringLiteral("FTP kunde inte startas"), FtpFailure::Other};
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
        long lastReply = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &lastReply);
        curl_easy_cleanup(curl);
        std::fclose(in);
        if (rc == CURLE_OK)
            return {true, {}, FtpFailure::None};
        QString words = QString::fromLocal8Bit(errbuf);
        if (words.isEmpty())
            words = QString::fromLocal8Bit(curl_easy_strerror(rc));
        return {false, words, failureOf(rc, lastReply != 0)};
    }
};

} // namespace

std::unique_ptr<Ftp> makeCurlFtp() {
    return std::make_unique<CurlFtp>();
}

} // namespace platform
