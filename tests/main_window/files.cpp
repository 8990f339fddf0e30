// Where the panel finds and keeps its files: the settings beside the program
// or in the user folder, folders and files that cannot be written (made so
// for real, the superuser included), FIFOs and folders where files are
// expected, text beyond Latin-1, and the pictures and resolution list beside
// the program or in the installed share folder.

#include "link/program_files.h"
#include "support/panel_rig.h"

#include <QtTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// Takes write access away for the length of a test. Permission bits do not
// stop the superuser, so as root the immutable flag does it.
class ReadOnly {
public:
    ReadOnly() = default;
    ReadOnly(const ReadOnly&) = delete;
    ~ReadOnly() {
        for (auto it = made_.crbegin(); it != made_.crend(); ++it) set(it->first, false, it->second);
    }
    bool add(const QString& path) {
        struct stat st {};
        if (::stat(qPrintable(path), &st) != 0 || !set(path, true, st.st_mode)) return false;
        made_.append({path, st.st_mode});
        return true;
    }

private:
    static bool set(const QString& path, bool on, mode_t mode) {
        if (::geteuid() != 0) return ::chmod(qPrintable(path), on ? mode & ~0222 : mode) == 0;
        const int fd = ::open(qPrintable(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = 0;
        const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                         ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0) ::close(fd);
        return ok;
    }
    QList<QPair<QString, mode_t>> made_;
};

// The program folder, the installed share folder and the user's folder.
struct Places {
    QTemporaryDir root;
    QString bin = root.filePath("bin"), share = root.filePath("share"), user = root.filePath("user");
    Places() {
        for (const QString& d : {bin, share, user}) QDir().mkpath(d);
    }
    ProgramFiles files() const {
        ProgramFiles f(bin);
        f.data_dir = share;
        f.user_dir = user;
        return f;
    }
};

const QByteArray fifo = "(fifo)", folder = "(folder)";

// Puts a file in place: bytes, a FIFO, a folder; a null text leaves none.
void put(const QString& path, const QByteArray& what) {
    QDir().mkpath(QFileInfo(path).path());
    if (what.isNull()) return;
    if (what == fifo) QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
    else if (what == folder) QVERIFY(QDir().mkpath(path));
    else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(what) == what.size());
    }
}

void copy_data(const QString& to) {
    for (const QString& name : shipped_data_files()) {
        QDir().mkpath(QFileInfo(QDir(to).filePath(name)).path());
        QVERIFY(QFile::copy(QStringLiteral(TAVRIN_DATA_DIR "/") + name, QDir(to).filePath(name)));
    }
}

// What a settings file holds: its address, "-" when there is no file.
QString address_in(const QString& path) {
    return QFileInfo::exists(path) ? read_settings(path).address : QStringLiteral("-");
}

QByteArray bytes_of(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The panel of the rig, started anew on the given places.
void start(PanelRig& r, const ProgramFiles& files) {
    r.panel = std::make_unique<Panel>(r.platform, r.serial, r.tcp, files);
    r.p().load();
}

QString shown_address(PanelRig& r) { return r.w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->text(); }

}  // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void settings_beside_the_program_or_in_the_user_folder() {
        const QByteArray beside_ini = "1\r\n3\r\n#FALSE#\r\n\"beside.host\"\r\n";
        const QByteArray user_ini = "1\r\n3\r\n#FALSE#\r\n\"user.host\"\r\n";
        enum Deny { nothing, folder_only, folder_and_file, everything };
        const struct {
            const char* name;
            QByteArray beside, user;
            Deny deny;
            QString read, beside_after, user_after;
            int messages;
        } cases[] = {
            {"writable folder", beside_ini, {}, nothing, "beside.host", "new.host", "-", 0},
            {"file in both places", beside_ini, user_ini, nothing, "beside.host", "new.host", "user.host", 0},
            {"no file anywhere", {}, {}, nothing, "", "new.host", "-", 0},
            {"read-only folder, writable file", beside_ini, {}, folder_only, "beside.host", "new.host", "-", 0},
            {"read-only folder, no file", {}, {}, folder_only, "", "-", "new.host", 0},
            {"read-only folder, file in user folder", {}, user_ini, folder_only, "user.host", "-", "new.host", 0},
            {"read-only file and folder", beside_ini, {}, folder_and_file, "beside.host", "beside.host", "new.host", 0},
            // The beside copy cannot take changes, so the user copy is the newer one.
            {"read-only file and folder, file in user folder", beside_ini, user_ini, folder_and_file, "user.host",
             "beside.host", "new.host", 0},
            {"settings FIFO", fifo, {}, nothing, "", "new.host", "-", 0},
            {"settings FIFO, file in user folder", fifo, user_ini, nothing, "user.host", "new.host", "user.host", 0},
            {"settings folder, read-only folder", folder, {}, folder_only, "", "(folder)", "new.host", 0},
            {"nothing writable", beside_ini, {}, everything, "beside.host", "beside.host", "-", 1},
        };
        for (const auto& c : cases) {
            Places at;
            const ProgramFiles files = at.files();
            const QString beside = QDir(at.bin).filePath("tavrin_4x.ini"), user = QDir(at.user).filePath("tavrin_4x.ini");
            put(beside, c.beside);
            put(user, c.user);
            copy_data(at.bin);
            ReadOnly ro;
            const bool denied = (c.deny < folder_only || ro.add(at.bin)) &&
                                (c.deny < folder_and_file || c.beside == folder || ro.add(beside)) &&
                                (c.deny < everything || ro.add(at.user));
            if (!denied) QSKIP("cannot make a folder read-only here (neither immutable flags nor permissions)");

            PanelRig r(PanelRig::Start::NoLoad, "-");
            start(r, files);
            QVERIFY2(shown_address(r) == c.read, c.name);
            r.w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(QStringLiteral(" new.host "));
            r.w().close();
            const QString after = c.beside == folder ? (QFileInfo(beside).isDir() ? "(folder)" : "?") : address_in(beside);
            QVERIFY2(after == c.beside_after, qPrintable(QString(c.name) + ": beside " + after));
            QVERIFY2(address_in(user) == c.user_after, qPrintable(QString(c.name) + ": user " + address_in(user)));
            QVERIFY2(r.platform.messages.size() == c.messages, c.name);
            if (c.messages) QVERIFY(r.platform.message_texts().first().contains("could not be saved"));
            // Whatever was kept is what the next start shows.
            PanelRig again(PanelRig::Start::NoLoad, "-");
            start(again, files);
            QVERIFY2(shown_address(again) == (c.messages ? c.read : QStringLiteral("new.host")), c.name);
            again.panel.reset();
            QVERIFY2(QDir(at.bin).entryList(QDir::Files | QDir::System).filter("ini").size() <= 1, c.name);
        }
    }

    void the_file_keeps_its_bytes_and_any_address() {
        // A file as it has always been written comes back byte for byte
        // (Latin-1 included); an address Latin-1 cannot hold survives too.
        const struct { QByteArray file; QString typed; QByteArray after; } cases[] = {
            {"0\r\n4\r\n#TRUE#\r\n\"caf\xe9.local:2323\"\r\n", {}, "0\r\n4\r\n#TRUE#\r\n\"caf\xe9.local:2323\"\r\n"},
            {"1\r\n1\r\n#FALSE#\r\n\"\"\r\n", QString::fromUtf8("\xe8\xae\xbe\xe5\xa4\x87.local:2323"),
             "1\r\n1\r\n#FALSE#\r\n\"\xe8\xae\xbe\xe5\xa4\x87.local:2323\"\r\n"},
            {"1\r\n1\r\n#FALSE#\r\n\"\"\r\n", QString::fromUtf8("\xce\xa9-\xc3\xa9"), "1\r\n1\r\n#FALSE#\r\n\"\xce\xa9-\xc3\xa9\"\r\n"},
            // Latin-1 text that happens to be valid UTF-8 stays Latin-1.
            {"1\r\n1\r\n#FALSE#\r\n\"\xc3\xa9\"\r\n", {}, "1\r\n1\r\n#FALSE#\r\n\"\xc3\xa9\"\r\n"},
        };
        for (const auto& c : cases) {
            PanelRig r(PanelRig::Start::NoLoad, c.file);
            r.p().load();
            const QString read = shown_address(r);
            if (!c.typed.isNull()) r.w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(c.typed);
            r.w().close();
            QCOMPARE(bytes_of(r.path("tavrin_4x.ini")), c.after);
            PanelRig again(PanelRig::Start::NoLoad, c.after);
            again.p().load();
            QCOMPARE(shown_address(again), c.typed.isNull() ? read : c.typed);
        }
    }

    void data_beside_the_program_or_installed() {
        const int shipped = int(read_resolution_list(QStringLiteral(TAVRIN_DATA_DIR "/output_reso.txt")).size());
        QVERIFY(shipped > 5);
        enum Where { none, beside, installed, both, fifo_beside, fifo_beside_and_installed };
        const struct { Where where; const char* from; int resolutions; } cases[] = {
            {beside, "bin", shipped},
            {installed, "share", shipped},
            {both, "bin", shipped},
            {fifo_beside, "", 0},
            {fifo_beside_and_installed, "share", shipped},
            {none, "", 0},
        };
        for (const auto& c : cases) {
            Places at;
            if (c.where == beside || c.where == both) copy_data(at.bin);
            if (c.where == installed || c.where == both || c.where == fifo_beside_and_installed) copy_data(at.share);
            if (c.where == fifo_beside || c.where == fifo_beside_and_installed)
                for (const QString& name : shipped_data_files()) put(QDir(at.bin).filePath(name), fifo);
            PanelRig r(PanelRig::Start::NoLoad, "-");
            start(r, at.files());
            QCOMPARE(r.w().ctl<QComboBox>(QStringLiteral("cbo_output"))->count(), c.resolutions);
            auto* pwr = r.w().ctl<ColorButton>(QStringLiteral("cmd_pwr"));
            pwr->load_picture_file(r.w().bitmap_path(QStringLiteral("power_on.bmp")));
            const QString expected =
                *c.from ? QDir(c.from == QLatin1String("bin") ? at.bin : at.share).filePath("bmp/power_on.bmp") : "";
            QCOMPARE(pwr->picture_file(), expected);
            QCOMPARE(at.files().missing_data().size(), *c.from ? 0 : int(shipped_data_files().size()));
        }
    }
};

QTEST_MAIN(FilesTest)
#include "files.moc"
