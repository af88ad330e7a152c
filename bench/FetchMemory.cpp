// Peak memory of a fetch refusing a body over the size limit: the fetch's
// network code against a server on 127.0.0.1 in the same process that makes
// its body as it sends it (so the peak is the fetch's). Prints the outcome
// and the process's peak resident size.
//   fetch_memory length|chunked|gzip|gzip-chunked [MiB, default 70; 1024 for gzip]

#include "ui/main/FetchEngine.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/resource.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace {

// `size` zeros, gzip-compressed: a few hundred bytes a MiB.
QByteArray gzipZeros(qint64 size)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray zeros(1 << 20, '\0'), out, chunk(1 << 16, '\0');
    for (qint64 left = size; left > 0 || z.avail_in > 0;) {
        if (z.avail_in == 0) {
            z.next_in = reinterpret_cast<Bytef*>(zeros.data());
            z.avail_in = uInt(qMin<qint64>(left, zeros.size()));
            left -= z.avail_in;
        }
        do {
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = uInt(chunk.size());
            deflate(&z, left > 0 ? Z_NO_FLUSH : Z_FINISH);
            out.append(chunk.constData(), chunk.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? argv[1] : "chunked";
    const bool gzip = mode.startsWith("gzip");
    const bool chunked = mode.endsWith("chunked");
    const qint64 size = qint64(argc > 2 ? std::atoll(argv[2]) : gzip ? 1024 : 70) << 20;
    const QByteArray compressed = gzip ? gzipZeros(size) : QByteArray();
    const qint64 length = gzip ? compressed.size() : size;
    std::printf("%s: %lld bytes sent (%lld MiB as the list), peak before the fetch %ld KiB\n",
                mode.constData(), static_cast<long long>(length),
                static_cast<long long>(size >> 20), peakKiB());

    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n" +
                          QByteArray(gzip ? "Content-Encoding: gzip\r\n" : "") +
                          (chunked ? QByteArray("Transfer-Encoding: chunked\r\n")
                                   : "Content-Length: " + QByteArray::number(length) + "\r\n") +
                          "\r\n");
            auto sent = std::make_shared<qint64>(0);
            // A piece more each time the last has gone: the server holds little.
            auto more = [&, socket, sent] {
                if (*sent >= length || socket->bytesToWrite() > (1 << 20))
                    return;
                const qint64 n = qMin<qint64>(256 << 10, length - *sent);
                const QByteArray piece = gzip ? compressed.mid(*sent, n) : QByteArray(n, 'P');
                socket->write(chunked ? QByteArray::number(n, 16) + "\r\n" + piece + "\r\n"
                                      : piece);
                *sent += n;
                if (*sent == length && chunked)
                    socket->write("0\r\n\r\n");
            };
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
        });
    });

    QString why;
    std::unique_ptr<ui::FetchEngine> engine =
        ui::makeFetchEngine({[](qint64, qint64) {},
                             [&](const ui::FetchOutcome& outcome) {
                                 std::printf("outcome: %s\npeak: %ld KiB (%.1f MB)\n",
                                             outcome.kind == ui::FetchOutcome::Kind::Fetched
                                                 ? "fetched"
                                                 : qPrintable(outcome.reason),
                                             peakKiB(), peakKiB() * 1024 / 1e6);
                                 QTimer::singleShot(0, &app, &QCoreApplication::quit);
                             }},
                            why);
    engine->start(QUrl(QStringLiteral("http://127.0.0.1:%1/ken_all.zip").arg(server.serverPort())),
                  {}, {});
    return app.exec();
}
