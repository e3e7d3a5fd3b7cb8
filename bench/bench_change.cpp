// SPDX-License-Identifier: GPL-3.0-or-later
// One wallpaper change, timed: as a fresh process (what a change at start-up costs) and warm inside one
// process (what the scheduler's changes cost), with peak and idle memory, beside ImageMagick and PIL
// doing the same resize-and-save job when they are installed. Then the huge inputs, a 100 MP JPEG
// (baseline and progressive) and a 20000 x 20000 PNG in each display mode: peak memory of one change
// in a fresh process, against a target of 400 MB, and whether the picture or the fallback was shown.
//
// The 4K change is also set beside its floor, measured in the same run: a full djpeg decode of the photo
// plus writing the bitmap with our writer, one core, and beside a plain QImageReader + QImage::scaled +
// save doing the same job. Idle memory is the resident size after 1 to 500 changes in one process.
//
//   bench_change [reps]          runs everything and prints the figures
//   bench_change --huge          only the huge inputs
//   bench_change --idle [n]      only the resident size after up to n (500) 4K changes
//   bench_change --floor [reps]  only the warm 4K change beside its floor
// With BENCH_DEFAULT_MALLOC=1 the changes run with glibc's own allocation thresholds rather than the
// program's (ProcessMemory::keepLargeBuffersApart), to time the two against each other.
#include "BitmapWriter.h"
#include "ChangeCycle.h"
#include "DesktopBackend.h"
#include "LoadedImages.h"
#include "PictureLoader.h"
#include "PosixFileSystem.h"
#include "ProcessMemory.h"
#include "Prompter.h"
#include "RandomSource.h"
#include "ScreenInfo.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

namespace {

struct Scenario
{
    const char* name;
    const char* file;
    QSize screen;
    const char* displayType;
    const char* caption;
    /** Monitors side by side, each of `screen`'s size, on a desktop that takes one bitmap of them all. */
    int monitors = 1;
    /** The caption on the picture in the shipped readable style (outline, automatic colour). */
    bool shippedStyle = false;
};

const Scenario Scenarios[] = {
    {"24 MP JPEG stretched to 1920x1080, caption",
     "photo24.jpg",
     {1920, 1080},
     "0",
     "Morning over the hills"},
    {"24 MP JPEG stretched to 3840x2160, caption",
     "photo24.jpg",
     {3840, 2160},
     "0",
     "Morning over the hills"},
    {"12 MP JPEG centred (1920x1080 screen)", "photo12.jpg", {1920, 1080}, "1", "Harbour"},
    {"256x256 GIF tiled on 3840x2160", "tile.gif", {3840, 2160}, "2", ""},
    // What every 4K change costs whatever its picture: the canvas, the caption, the bitmap write.
    {"8x8 PNG stretched to 3840x2160, caption", "tiny.png", {3840, 2160}, "0", "Tiny"},
    // Each monitor's part made for it: the photo decoded for each (target <= 2.1x one monitor, <= 100 MB).
    {"24 MP JPEG stretched to two 3840x2160 monitors, caption",
     "photo24.jpg",
     {3840, 2160},
     "0",
     "Morning over the hills",
     2},
    // What the shipped style costs: the letters' surround measured, an outline drawn.
    {"24 MP JPEG stretched to 3840x2160, outlined caption on it",
     "photo24.jpg",
     {3840, 2160},
     "0",
     "Morning over the hills",
     1,
     true},
};
constexpr int Warm4K = 1, Tiny4K = 4;

const Scenario Huge[] = {
    {"100 MP JPEG stretched", "huge.jpg", {1920, 1080}, "0", "Harbour"},
    {"100 MP JPEG centred", "huge.jpg", {1920, 1080}, "1", "Harbour"},
    {"100 MP JPEG tiled", "huge.jpg", {1920, 1080}, "2", "Harbour"},
    {"100 MP progressive JPEG stretched", "progressive.jpg", {1920, 1080}, "0", "Harbour"},
    {"100 MP progressive JPEG centred", "progressive.jpg", {1920, 1080}, "1", "Harbour"},
    {"100 MP progressive JPEG tiled", "progressive.jpg", {1920, 1080}, "2", "Harbour"},
    {"20000x20000 PNG stretched", "huge.png", {1920, 1080}, "0", "Harbour"},
    {"20000x20000 PNG centred", "huge.png", {1920, 1080}, "1", "Harbour"},
    {"20000x20000 PNG tiled", "huge.png", {1920, 1080}, "2", "Harbour"},
    {"20000x20000 PNG stretched on 3840x2160", "huge.png", {3840, 2160}, "0", "Harbour"},
};

/** The fallback picture, one flat colour no scenario's picture has, so a refused picture shows. */
const QRgb FallbackColour = qRgb(255, 0, 255);

class Accepting final : public DesktopBackend
{
public:
    QString name() const override { return QStringLiteral("bench"); }
    bool spans() const override { return true; }

protected:
    ApplyResult applyStyleThenFile(const QString&, WallpaperStyle) override { return {true, {}}; }
};
class Silent final : public Prompter
{
public:
    PromptAnswer ask(const QString& text, PromptButtons, PromptIcon) override
    {
        std::fprintf(stderr, "prompt: %s\n", qPrintable(text));
        return PromptAnswer::Ok;
    }
};
class Fixed final : public RandomSource
{
public:
    void randomize() override {}
    float next() override { return 0; }
};
class Screen final : public ScreenInfo
{
public:
    Screen(QSize size, int count) : m_size(size), m_count(count) {}
    ScreenGeometry primary() const override { return {m_size, 1.0, 96.0, {}}; }
    QList<MonitorGeometry> monitors() const override
    {
        QList<MonitorGeometry> all;
        for (int i = 0; i < m_count; ++i)
            all.append(
                {QStringLiteral("OUT%1").arg(i), QRect(QPoint(i * m_size.width(), 0), m_size), primary()});
        return all;
    }

private:
    QSize m_size;
    int m_count;
};

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

/** Gradients with noise: compresses and decodes like a photo, unlike a flat colour. */
QImage photoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(noise.generate() & 31) - 16;
            line[x] = qRgb(std::clamp(x * 255 / width + n, 0, 255), std::clamp(y * 255 / height + n, 0, 255),
                           std::clamp(((x + y) / 16 % 64) * 4 + n, 0, 255));
        }
    }
    return image;
}

void chunk(QFile& file, const char* type, const QByteArray& data)
{
    QByteArray body = QByteArray(type, 4) + data;
    const quint32 length = quint32(data.size());
    const quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size())));
    const auto bigEndian = [](quint32 v) {
        QByteArray bytes;
        QDataStream(&bytes, QIODevice::WriteOnly) << v;
        return bytes;
    };
    file.write(bigEndian(length) + body + bigEndian(crc));
}

/**
 * A 20000 x 20000 RGB PNG written row by row (Qt would need the whole 1.2 GB image first). Every row
 * is filtered against the one above, so the stream compresses fast; a decoder still does all the work.
 */
bool writeHugePng(const QString& path)
{
    constexpr int Side = 20000;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    QDataStream(&header, QIODevice::WriteOnly)
        << quint32(Side) << quint32(Side) << quint8(8) << quint8(2) << quint8(0) << quint8(0) << quint8(0);
    chunk(file, "IHDR", header);
    z_stream z{};
    deflateInit(&z, 1);
    QByteArray row(1 + Side * 3, '\0');
    QByteArray out(1 << 20, '\0');
    for (int y = 0; y <= Side; ++y) {
        if (y == 0) {
            for (int x = 0; x < Side; ++x) {
                row[1 + 3 * x] = char(x * 255 / Side);
                row[2 + 3 * x] = char(x / 64 % 256);
                row[3 + 3 * x] = char(255 - x * 255 / Side);
            }
        } else if (y == 1) {
            row.fill('\0');
            row[0] = 2; // "Up": the same as the row above
        }
        z.next_in = reinterpret_cast<Bytef*>(row.data());
        z.avail_in = y < Side ? uInt(row.size()) : 0;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, y < Side ? Z_NO_FLUSH : Z_FINISH);
            const int produced = int(out.size()) - int(z.avail_out);
            if (produced > 0)
                chunk(file, "IDAT", out.left(produced));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    chunk(file, "IEND", {});
    return file.error() == QFile::NoError;
}

int generateHuge(const QString& dir)
{
    QImage fallback(64, 64, QImage::Format_RGB32);
    fallback.fill(FallbackColour);
    const QImage photo = photoLike(12000, 8334);
    QImageWriter baseline(dir + "/huge.jpg", "jpeg");
    baseline.setQuality(90);
    QImageWriter progressive(dir + "/progressive.jpg", "jpeg");
    progressive.setQuality(90);
    progressive.setProgressiveScanWrite(true);
    const bool written = fallback.save(dir + "/badimage.bmp") && baseline.write(photo) &&
                         progressive.write(photo) && writeHugePng(dir + "/huge.png");
    return written ? 0 : 1;
}

int generate(const QString& dir)
{
    QImageWriter big(dir + "/photo24.jpg", "jpeg");
    big.setQuality(90);
    QImageWriter mid(dir + "/photo12.jpg", "jpeg");
    mid.setQuality(90);
    if (!big.write(photoLike(6000, 4000)) || !mid.write(photoLike(4000, 3000)))
        return 1;
    photoLike(256, 256).save(dir + "/tile.png");
    photoLike(8, 8).save(dir + "/tiny.png");
    // Qt cannot write GIF.
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (!convert.isEmpty() && QProcess::execute(convert, {dir + "/tile.png", dir + "/tile.gif"}) == 0)
        return 0;
    return QProcess::execute(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys;from PIL import Image;Image.open(sys.argv[1]).save(sys.argv[2])"),
         dir + "/tile.png", dir + "/tile.gif"});
}

/** The plain job: Qt's reader, Qt's smooth scaling and Qt's BMP writer; prints each time in ms. */
int plain(const QString& dir, int reps)
{
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        QImageReader reader(dir + "/photo24.jpg");
        const QImage scaled =
            reader.read().scaled(3840, 2160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!scaled.save(dir + "/plain.bmp"))
            return 1;
        std::printf("%.1f ", timer.nsecsElapsed() / 1e6);
    }
    std::printf("| %ld 0 0 | plain\n", peakKiB());
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

/** The 4K change in its parts, medians of `reps`: a blank canvas, the strips decoded and shrunk, the write.
 */
int parts(const QString& dir, int reps)
{
    std::vector<double> canvasMs, stripsMs, writeMs;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        QImage canvas(3840, 2160, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        canvasMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        if (!PictureLoader::shrinkInto(PosixFileSystem::instance(), dir + "/photo24.jpg", canvas,
                                       canvas.rect()))
            return 1;
        stripsMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        if (!BitmapWriter::write(canvas, dir + "/parts.bmp", PosixFileSystem::instance()))
            return 1;
        writeMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("    parts: blank canvas %.1f, decode and shrink in strips %.1f, bitmap write %.1f ms\n",
                median(canvasMs), median(stripsMs), median(writeMs));
    return 0;
}

/** Runs `reps` changes of one scenario; prints each time in ms, then peak and idle KiB. */
int run(const Scenario& scenario, const QString& dir, int reps, const QList<int>& residentAfter = {})
{
    // As the program does at start; BENCH_DEFAULT_MALLOC=1 leaves glibc's own sliding threshold, so that
    // what keeping large buffers apart costs in time can be measured.
    if (qEnvironmentVariableIntValue("BENCH_DEFAULT_MALLOC") == 0)
        ProcessMemory::keepLargeBuffersApart();
    Settings settings;
    settings.imageNum = "0";
    settings.displayType = scenario.displayType;
    settings.captionPosition = "2";
    settings.onOffCaption = "1";
    settings.newFontName = "DejaVu Sans";
    settings.newFontSize = "20";
    settings.newFontBold = "True";
    settings.newFontItalic = settings.newFontUnderline = settings.newFontFontStrikethru = "False";
    settings.newFontForeColor = "16777215";
    if (scenario.shippedStyle) {
        settings.onOffCaption = "0";
        settings.captionEffect = "1";
        settings.automaticColour = "True";
    }
    LoadedImages images;
    images.append(dir + "/" + scenario.file, scenario.caption);
    SettingsFile file(dir + "/tessdesk.ini", PosixFileSystem::instance());
    Accepting desktop;
    Silent prompter;
    Fixed random;
    Screen screen(scenario.screen, scenario.monitors);
    ChangeCycle cycle(settings, images, file, dir, PosixFileSystem::instance(), desktop, prompter, random,
                      screen);
    cycle.setSettleTime(0);
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        bool over = false;
        // One picture: list order shows it at every change.
        cycle.change(ChangeCycle::Order::List, [&](const ChangeOutcome&) {
            over = true;
            loop.quit();
        });
        if (!over)
            loop.exec();
        const double ms = timer.nsecsElapsed() / 1e6;
        ProcessMemory::releaseFreeMemory(); // as the program does after each change
        if (residentAfter.isEmpty())
            std::printf("%.1f ", ms);
        else if (residentAfter.contains(i + 1))
            std::printf("  after %3d changes: resident %.1f MiB\n", i + 1, residentKiB() / 1024.0);
    }
    if (!residentAfter.isEmpty())
        return 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    // Read after the figures are taken, so the check costs nothing they show.
    const long peak = peakKiB();
    const long resident = residentKiB();
    const QImage bitmap(dir + "/" + ChangeCycle::BitmapName);
    const char* outcome = bitmap.isNull()                                         ? "no bitmap"
                          : bitmap.pixel(bitmap.width() / 2, 0) == FallbackColour ? "fallback shown"
                                                                                  : "picture shown";
    std::printf("| %ld %ld %.1f | %s\n", peak, resident, cpuMs, outcome);
    return 0;
}

struct Child
{
    std::vector<double> ms;
    long peak = 0;
    long idle = 0;
    double wallMs = 0;
    /** User + system time of the whole process, start-up included. */
    double cpuMs = 0;
    QString outcome;
};

Child child(const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(-1);
    Child result;
    result.wallMs = timer.nsecsElapsed() / 1e6;
    const QStringList parts = QString::fromLatin1(process.readAllStandardOutput()).split('|');
    for (const QString& t : parts.value(0).split(' ', Qt::SkipEmptyParts))
        result.ms.push_back(t.toDouble());
    const QStringList memory = parts.value(1).split(' ', Qt::SkipEmptyParts);
    result.peak = memory.value(0).toLong();
    result.idle = memory.value(1).toLong();
    result.cpuMs = memory.value(2).toDouble();
    result.outcome = parts.value(2).trimmed();
    return result;
}

double timeTool(const QString& program, const QStringList& arguments, int reps)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (QProcess::execute(program, arguments) != 0)
            return -1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

void compareTools(const QString& dir, const Scenario& scenario, double ours, int reps)
{
    const QString in = dir + "/" + scenario.file;
    const QString size = QStringLiteral("%1x%2").arg(scenario.screen.width()).arg(scenario.screen.height());
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (!convert.isEmpty()) {
        const double t = timeTool(
            convert, {in, "-resize", size + "!", "-type", "TrueColor", "BMP3:" + dir + "/im.bmp"}, reps);
        std::printf("    ImageMagick convert: %8.1f ms  (ours is %.2fx faster)\n", t, t / ours);
    }
    if (QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        const QString script = QStringLiteral(
            "import sys;from PIL import "
            "Image;w,h=int(sys.argv[2]),int(sys.argv[3]);im=Image.open(sys.argv[1]);"
            "im.draft('RGB',(w,h));im.convert('RGB').resize((w,h),Image.BOX).save(sys.argv[4])");
        const double t = timeTool("/usr/bin/python3",
                                  {"-c", script, in, QString::number(scenario.screen.width()),
                                   QString::number(scenario.screen.height()), dir + "/pil.bmp"},
                                  reps);
        if (t < 0)
            std::printf("    Python PIL: not installed (Debian: python3-pil)\n");
        else
            std::printf("    Python PIL:          %8.1f ms  (ours is %.2fx faster)\n", t, t / ours);
    }
}

/**
 * The floor of the 4K change: djpeg's full decode plus writing the 4K bitmap, medians of `reps`. The photo's
 * own part (the warm change less a tiny picture's) is what bench/blackbox_change.py measures through the
 * real program's --next, so the two can be set side by side.
 */
void compareFloor(const QString& dir, double warm, double tiny, long warmPeakKiB, int reps)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty()) {
        std::printf("    floor: djpeg is missing (Debian: libjpeg-turbo-progs)\n");
        return;
    }
    const double decode = timeTool(djpeg, {"-outfile", "/dev/null", dir + "/photo24.jpg"}, reps);
    QImage screen(3840, 2160, QImage::Format_RGB32);
    screen.fill(Qt::gray);
    std::vector<double> writes;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!BitmapWriter::write(screen, dir + "/floor.bmp", PosixFileSystem::instance()))
            return;
        writes.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double floor = decode + median(writes);
    std::fflush(stdout);
    QProcess::execute(QCoreApplication::applicationFilePath(), {"--parts", dir, QString::number(reps)});
    const Child base = child({"--plain", dir, QString::number(reps)});
    const double plainMs = median(std::vector<double>(base.ms.begin() + 1, base.ms.end()));
    std::printf(
        "    floor: djpeg decode %.1f + bitmap write %.1f = %.1f ms; warm change / floor = %.2f "
        "(target <= 1.0)\n"
        "    the photo's own part: warm change %.1f - tiny picture's %.1f = %.1f ms = %.2fx djpeg's full "
        "decode "
        "(target <= 0.75; blackbox_change.py measures the same through --next)\n"
        "    plain QImageReader + scaled + save: %.1f ms, peak RSS %ld MiB; warm change / plain = %.2f\n"
        "    peak RSS of the warm changes %ld MiB (target <= 60)\n",
        decode, median(writes), floor, warm / floor, warm, tiny, warm - tiny, (warm - tiny) / decode, plainMs,
        base.peak / 1024, warm / plainMs, warmPeakKiB / 1024);
}

int huge(const QString& dir)
{
    std::printf("huge inputs: one change in a fresh process each; target peak RSS <= 400 MB\n");
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {"--generate-huge", dir}) != 0) {
        std::fprintf(stderr, "cannot generate the huge pictures\n");
        return 1;
    }
    for (int i = 0; i < int(std::size(Huge)); ++i) {
        const Child once = child({"--run", QString::number(int(std::size(Scenarios)) + i), dir, "1"});
        std::printf("  %-40s peak RSS %4ld MiB  %7.1f ms  %s\n", Huge[i].name, once.peak / 1024,
                    once.ms.empty() ? 0.0 : once.ms.front(), qPrintable(once.outcome));
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 4 && qstrcmp(argv[1], "--run") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const int index = std::atoi(argv[2]);
        const Scenario& scenario =
            index < int(std::size(Scenarios)) ? Scenarios[index] : Huge[index - int(std::size(Scenarios))];
        return run(scenario, QString::fromLocal8Bit(argv[3]), argc > 4 ? std::atoi(argv[4]) : 1);
    }
    if (argc >= 3 && qstrcmp(argv[1], "--parts") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return parts(QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 1);
    }
    if (argc >= 3 && qstrcmp(argv[1], "--plain") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return plain(QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 1);
    }
    if (argc >= 3 && qstrcmp(argv[1], "--idle-run") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const int changes = argc > 3 ? std::atoi(argv[3]) : 500;
        QList<int> marks;
        for (int n : {1, 2, 5, 10, 50, 100, 200, 500, 1000})
            if (n <= changes)
                marks.push_back(n);
        return run(Scenarios[Warm4K], QString::fromLocal8Bit(argv[2]), changes, marks);
    }
    if (argc >= 3 && qstrcmp(argv[1], "--generate-huge") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return generateHuge(QString::fromLocal8Bit(argv[2]));
    }
    if (argc >= 3 && qstrcmp(argv[1], "--generate") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return generate(QString::fromLocal8Bit(argv[2]));
    }

    QCoreApplication app(argc, argv);
    const bool hugeOnly = argc > 1 && qstrcmp(argv[1], "--huge") == 0;
    const bool idleOnly = argc > 1 && qstrcmp(argv[1], "--idle") == 0;
    const bool floorOnly = argc > 1 && qstrcmp(argv[1], "--floor") == 0;
    const int reps = std::max(3, argc > 1 && !hugeOnly && !idleOnly ? std::atoi(argv[argc - 1]) : 7);
    QTemporaryDir dir;
    if (hugeOnly)
        return huge(dir.path());
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {"--generate", dir.path()}) != 0) {
        std::fprintf(stderr, "cannot generate the test pictures\n");
        return 1;
    }
    if (idleOnly) {
        std::printf("24 MP JPEG stretched to 3840x2160, one process (target <= 30 MiB, no growth):\n");
        std::fflush(stdout);
        return QProcess::execute(QCoreApplication::applicationFilePath(),
                                 {"--idle-run", dir.path(), argc > 2 ? argv[2] : "500"});
    }
    if (floorOnly) {
        const auto warmMs = [&](int scenario) {
            const Child warm = child({"--run", QString::number(scenario), dir.path(), QString::number(reps)});
            return std::make_pair(median(std::vector<double>(warm.ms.begin() + 1, warm.ms.end())), warm.peak);
        };
        const auto [ms, peak] = warmMs(Warm4K);
        const double tinyMs = warmMs(Tiny4K).first;
        std::printf("%s\n    warm %7.1f ms\n", Scenarios[Warm4K].name, ms);
        compareFloor(dir.path(), ms, tinyMs, peak, reps);
        return 0;
    }
    double load[3] = {};
    if (getloadavg(load, 3) > 0)
        std::printf("load average %.1f on %ld cores: figures are inflated by other work on this machine\n",
                    load[0], sysconf(_SC_NPROCESSORS_ONLN));
    std::printf(
        "one change; one-shot = a fresh process (start-up included), warm = median of %d in one process\n",
        reps);
    std::vector<double> warmMedians;
    long warm4KPeak = 0;
    for (int i = 0; i < int(std::size(Scenarios)); ++i) {
        std::vector<double> shots;
        std::vector<double> shotCpu;
        long shotPeak = 0;
        for (int r = 0; r < std::min(reps, 5); ++r) {
            const Child once = child({"--run", QString::number(i), dir.path(), "1"});
            shots.push_back(once.wallMs);
            shotCpu.push_back(once.cpuMs);
            shotPeak = std::max(shotPeak, once.peak);
        }
        const Child warm = child({"--run", QString::number(i), dir.path(), QString::number(reps)});
        std::vector<double> warmTimes(warm.ms.begin() + 1, warm.ms.end());
        const double oneShot = median(shots);
        std::printf(
            "%s\n    one-shot %7.1f ms (process CPU %.1f ms; change alone %.1f ms), peak RSS %ld MiB\n"
            "    warm     %7.1f ms, peak RSS %ld MiB, idle RSS after the changes %.1f MiB\n",
            Scenarios[i].name, oneShot, median(shotCpu), warm.ms.empty() ? 0.0 : warm.ms.front(),
            shotPeak / 1024, median(warmTimes), warm.peak / 1024, warm.idle / 1024.0);
        warmMedians.push_back(median(warmTimes));
        if (i == Warm4K)
            warm4KPeak = warm.peak;
        if (qstrcmp(Scenarios[i].displayType, "0") == 0 && i != Tiny4K && Scenarios[i].monitors == 1 &&
            !Scenarios[i].shippedStyle)
            compareTools(dir.path(), Scenarios[i], oneShot, std::min(reps, 3));
    }
    std::printf("%s, beside its floor\n", Scenarios[Warm4K].name);
    compareFloor(dir.path(), warmMedians[Warm4K], warmMedians[Tiny4K], warm4KPeak, reps);
    return huge(dir.path());
}
