// SPDX-License-Identifier: GPL-3.0-or-later
// The control socket against clients that misbehave: garbage, lines over the bound, silence, hanging
// up before the reply, too many at once; and the folder the socket may live in.
#include "ControlServer.h"
#include "ControlSocketFolder.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

/** A served socket whose handler echoes each command, or does what a test needs instead. */
struct Served
{
    QTemporaryDir dir;
    ControlServer server;
    QStringList commands;
    std::function<void(const ControlServer::Reply&)> handle;

    explicit Served(std::chrono::milliseconds deadline = 60s)
        : server(dir.filePath("tessaly.socket"), deadline)
    {
        const Result<ControlServer::Claim> claim = server.claim();
        if (!claim || *claim != ControlServer::Claim::Claimed)
            qFatal("%s", qPrintable(claim.reason()));
        server.serve([this](const QString& command, const ControlServer::Reply& reply) {
            commands << command;
            if (command == QLatin1String("hold"))
                return handle(reply);
            reply(QStringLiteral("ok %1\n").arg(command));
        });
    }
    QString path() const { return dir.filePath("tessaly.socket"); }
};

/** One client: sends its bytes at once and gathers all it is sent until the server hangs up. */
struct Client
{
    QLocalSocket socket;
    QByteArray received;

    explicit Client(const QString& path, const QByteArray& sent = {})
    {
        QObject::connect(&socket, &QLocalSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToServer(path);
        socket.write(sent);
    }
    bool closed() const { return socket.state() == QLocalSocket::UnconnectedState; }
};

/** The server still answers a well-behaved client. */
bool answers(const Served& served)
{
    Client client(served.path(), "status\n");
    return QTest::qWaitFor([&client] { return client.closed(); }, 10000) && client.received == "ok status\n";
}

QString modeOf(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? QString::number(info.st_mode & 07777, 8)
                                                                    : QString();
}

/** Makes `path` as `kind` says: a private folder, one with another mode, a link, a file, or nothing. */
bool make(const QString& path, const QString& kind, const QString& elsewhere)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("none"))
        return true;
    if (kind == QLatin1String("file"))
        return QFile(path).open(QIODevice::WriteOnly) && ::chmod(name.constData(), 0644) == 0;
    if (kind == QLatin1String("link"))
        return ::mkdir(QFile::encodeName(elsewhere).constData(), 0700) == 0 &&
               ::symlink(QFile::encodeName(elsewhere).constData(), name.constData()) == 0;
    if (kind == QLatin1String("other user"))
        return ::mkdir(name.constData(), 0700) == 0 && ::chown(name.constData(), 65534, 65534) == 0;
    // A mode in octal; chmod, because mkdir's mode passes through the umask.
    return ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), kind.toUInt(nullptr, 8)) == 0;
}

} // namespace

class tst_ControlServer : public QObject
{
    Q_OBJECT

private slots:
    void oneClient_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("commands");
        static const char raw[] = "\xff\xfe\x00\x80\x1b[2J\tnext\r\n";
        const QByteArray garbage(raw, sizeof raw - 1);
        const QByteArray tooLong = "error: the command is too long\n";
        const QByteArray longest(int(ControlServer::MaxLineBytes), 'x');
        QTest::addRow("a command") << QByteArray("status\n") << 60000 << QByteArray("ok status\n")
                                   << QStringList{"status"};
        QTest::addRow("garbage")
            << garbage << 60000
            << QStringLiteral("ok %1\n").arg(QString::fromUtf8(garbage).trimmed()).toUtf8()
            << QStringList{QString::fromUtf8(garbage).trimmed()};
        QTest::addRow("only the first of two lines")
            << QByteArray("status\nquit\n") << 60000 << QByteArray("ok status\n") << QStringList{"status"};
        QTest::addRow("the longest line") << longest + '\n'
                                          << 60000 << "ok " + longest + '\n'
                                          << QStringList{QString::fromLatin1(longest)};
        QTest::addRow("one byte over") << longest + "x\n" << 60000 << tooLong << QStringList();
        QTest::addRow("a megabyte with no line end")
            << QByteArray(1 << 20, 'x') << 60000 << tooLong << QStringList();
        QTest::addRow("silence past the deadline") << QByteArray() << 100 << QByteArray() << QStringList();
        QTest::addRow("half a line past the deadline")
            << QByteArray("stat") << 100 << QByteArray() << QStringList();
    }
    void oneClient()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, deadlineMs);
        Served served{std::chrono::milliseconds(deadlineMs)};
        Client client(served.path(), sent);
        QTRY_VERIFY_WITH_TIMEOUT(client.closed(), 20000);
        QTEST(client.received, "reply");
        QTEST(served.commands, "commands");
        QTRY_COMPARE(served.server.openConnections(), 0);
        QVERIFY(answers(served));
    }

    void hangUpBeforeTheReply_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<QByteArray>("received");
        QTest::addRow("reply given after the hang-up") << "later" << QByteArray();
        // A change waits for the desktop in a nested event loop; the client hangs up meanwhile.
        QTest::addRow("reply given in a nested wait") << "nested" << QByteArray();
        QTest::addRow("reply given twice") << "twice" << QByteArray("ok one\n");
    }
    void hangUpBeforeTheReply()
    {
        QFETCH(QString, when);
        Served served;
        auto client = std::make_unique<Client>(served.path(), "hold\n");
        ControlServer::Reply held;
        served.handle = [&](const ControlServer::Reply& reply) {
            if (when == QLatin1String("nested")) {
                client.reset();
                QVERIFY(QTest::qWaitFor([&served] { return served.server.openConnections() == 0; }, 10000));
            }
            if (when == QLatin1String("twice"))
                reply(QStringLiteral("ok one\n"));
            if (when == QLatin1String("later"))
                held = reply;
            else
                reply(QStringLiteral("ok two\n"));
        };
        QTRY_COMPARE(served.commands, QStringList{"hold"});
        if (when == QLatin1String("later")) {
            client->socket.abort();
            QTRY_COMPARE(served.server.openConnections(), 0);
            held(QStringLiteral("ok\n"));
        }
        if (client) {
            QTRY_VERIFY(client->closed());
            QTEST(client->received, "received");
        }
        QVERIFY(answers(served));
    }

    void connectionsBeyondTheCapAreClosedAtOnce()
    {
        Served served;
        std::vector<std::unique_ptr<Client>> idle;
        for (int i = 0; i < ControlServer::MaxConnections; ++i)
            idle.push_back(std::make_unique<Client>(served.path()));
        QTRY_COMPARE(served.server.openConnections(), ControlServer::MaxConnections);
        Client refused(served.path(), "status\n");
        QTRY_VERIFY(refused.closed());
        QCOMPARE(refused.received, QByteArray());
        idle.pop_back();
        QTRY_COMPARE(served.server.openConnections(), ControlServer::MaxConnections - 1);
        QVERIFY(answers(served));
    }

    void folder_data()
    {
        // The runtime folder and Tessaly's own one as found (a mode, "link", "file", "none"), whether
        // the folder is made, which folder is chosen or what the refusal says, the own folder's mode after.
        QTest::addColumn<QStringList>("row");
        QTest::addRow("private runtime folder") << QStringList{"700", "none", "make", "runtime", ""};
        QTest::addRow("runtime folder shared with all") << QStringList{"1777", "none", "make", "own", "700"};
        QTest::addRow("no runtime folder") << QStringList{"unset", "none", "make", "own", "700"};
        QTest::addRow("relative runtime folder") << QStringList{"relative", "none", "make", "own", "700"};
        QTest::addRow("own folder made before") << QStringList{"unset", "700", "make", "own", "700"};
        QTest::addRow("own folder open to all")
            << QStringList{"unset", "777", "make", "is not private: it has mode 0777", "777"};
        QTest::addRow("own folder is a link")
            << QStringList{"unset", "link", "make", "is a symbolic link", "777"};
        QTest::addRow("own folder is a file")
            << QStringList{"unset", "file", "make", "is not a folder", "644"};
        QTest::addRow("own folder of another user")
            << QStringList{"unset", "other user", "make", "belongs to user 65534", "700"};
        QTest::addRow("a command makes no folder") << QStringList{"unset", "none", "find", "own", ""};
    }
    void folder()
    {
        QFETCH(QStringList, row);
        const QString &runtime = row[0], &own = row[1], &chosen = row[3];
        if (own == QLatin1String("other user") && ::getuid() != 0)
            QSKIP("only root can give a folder to another user");
        QTemporaryDir root;
        const QString runtimeDir = root.filePath("run");
        const QString temp = root.filePath("tmp");
        const QString ownDir = QStringLiteral("%1/tessaly-%2").arg(temp).arg(::getuid());
        QVERIFY(QDir().mkpath(temp));
        QVERIFY(runtime == QLatin1String("unset") || runtime == QLatin1String("relative") ||
                make(runtimeDir, runtime, root.filePath("elsewhere-run")));
        QVERIFY(make(ownDir, own, root.filePath("elsewhere-own")));
        const QString given = runtime == QLatin1String("unset")      ? QString()
                              : runtime == QLatin1String("relative") ? QStringLiteral("run")
                                                                     : runtimeDir;
        const bool create = row[2] == QLatin1String("make");
        const Result<QString> folder = ControlSocketFolder::resolve(
            given, temp, create ? ControlSocketFolder::Use::Create : ControlSocketFolder::Use::Find);
        const QString error = folder.reason();
        if (chosen == QLatin1String("runtime") || chosen == QLatin1String("own")) {
            QVERIFY2(folder, qPrintable(error));
            QCOMPARE(*folder, chosen == QLatin1String("runtime") ? runtimeDir : ownDir);
        } else {
            QVERIFY(!folder);
            QVERIFY2(error.startsWith(ownDir + QLatin1Char(' ')) && error.contains(chosen),
                     qPrintable(error));
        }
        // The check never mends a folder: it is left as it was found.
        QCOMPARE(modeOf(ownDir), row[4]);
    }
};

QTEST_GUILESS_MAIN(tst_ControlServer)
#include "tst_ControlServer.moc"
