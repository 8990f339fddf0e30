// Where the panel finds and keeps its files, with folders and files made
// unwritable for real (the superuser included), FIFOs and folders in their place.

#include "link/program_files.h"
#include "support/panel_rig.h"
#include "support/programs.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// Takes write access away for the length of a test. Permission bits do not
// stop the superuser, so as root the immutable flag (chattr) does it.
struct ReadOnly {
    QList<QPair<QString, mode_t>> made;
    ~ReadOnly() {
        for (auto it = made.crbegin(); it != made.crend(); ++it) set(it->first, false, it->second);
    }
    bool add(const QString& path) {
        struct stat st {};
        if (::stat(qPrintable(path), &st) != 0 || !set(path, true, st.st_mode)) return false;
        return made.append({path, st.st_mode}), true;
    }
    static bool set(const QString& path, bool on, mode_t mode) {
        if (::geteuid() != 0) return ::chmod(qPrintable(path), on ? mode & ~0222 : mode) == 0;
        return QProcess::execute(QStringLiteral("chattr"), {on ? "+i" : "-i", path}) == 0;
    }
};

// The program folder, the installed share folder and the user's folder.
struct Places {
    QTemporaryDir root;
    QString bin = root.filePath("bin"), share = root.filePath("share"), user = root.filePath("user");
    Places() { for (const QString& d : {bin, share, user}) QDir().mkpath(d); }
    ProgramFiles files() const {
        ProgramFiles f(bin);
        f.data_dir = share, f.user_dir = user;
        return f;
    }
};

const QByteArray fifo = "(fifo)", folder = "(folder)";

// Puts a file in place: bytes, a FIFO, a folder; a null text leaves none.
void put(const QString& path, const QByteArray& what) {
    QDir().mkpath(QFileInfo(path).path());
    if (what == fifo) QCOMPARE(::mkfifo(qPrintable(path), 0644), 0);
    else if (what == folder) QVERIFY(QDir().mkpath(path));
    else if (!what.isNull()) QVERIFY(put_file(path, what));
}
// What a settings file holds: its address, "-" when there is no file.
QString address_in(const QString& path) {
    return QFileInfo::exists(path) ? read_settings(path).address : QStringLiteral("-");
}
// A panel started on the given places, showing the address it read.
std::unique_ptr<PanelRig> start(const ProgramFiles& files) {
    auto r = std::make_unique<PanelRig>(PanelRig::Start::NoLoad, "-");
    r->panel = std::make_unique<Panel>(r->platform, r->serial, r->tcp, files);
    r->p().load();
    return r;
}
QLineEdit* address_box(PanelRig& r) { return r.w().ctl<QLineEdit>(QStringLiteral("txt_ip")); }

}  // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void settings_beside_the_program_or_in_the_user_folder() {
        const QByteArray beside_ini = "1\r\n3\r\n#FALSE#\r\n\"beside.host\"\r\n", user_ini = "1\r\n3\r\n#FALSE#\r\n\"user.host\"\r\n";
        enum Deny { nothing, folder_only, folder_and_file, everything };
        const struct { const char* name; QByteArray beside, user; Deny deny; QString read, beside_after, user_after; } cases[] = {
            {"writable folder", beside_ini, {}, nothing, "beside.host", "new.host", "-"},
            {"no file anywhere", {}, {}, nothing, "", "new.host", "-"},
            {"read-only folder, writable file, file in user folder", beside_ini, user_ini, folder_only, "beside.host",
             "new.host", "user.host"},
            {"read-only folder, no file", {}, {}, folder_only, "", "-", "new.host"},
            // The beside copy cannot take changes, so the user copy is the newer one.
            {"read-only file and folder, file in user folder", beside_ini, user_ini, folder_and_file, "user.host",
             "beside.host", "new.host"},
            {"settings FIFO", fifo, {}, nothing, "", "new.host", "-"},
            {"settings folder, read-only folder", folder, {}, folder_only, "", "(folder)", "new.host"},
            {"nothing writable", beside_ini, {}, everything, "beside.host", "beside.host", "-"},
        };
        for (const auto& c : cases) {
            Places at;
            const QString beside = QDir(at.bin).filePath("tavrin_4x.ini"), user = QDir(at.user).filePath("tavrin_4x.ini");
            QVERIFY(make_program_dir(at.bin, {}));
            put(beside, c.beside);
            put(user, c.user);
            ReadOnly ro;
            if (!((c.deny < folder_only || ro.add(at.bin)) &&
                  (c.deny < folder_and_file || c.beside == folder || ro.add(beside)) &&
                  (c.deny < everything || ro.add(at.user))))
                QSKIP("cannot make a folder read-only here (neither immutable flags nor permissions)");
            auto r = start(at.files());
            QVERIFY2(address_box(*r)->text() == c.read, c.name);
            address_box(*r)->setText(QStringLiteral(" new.host "));
            r->w().close();
            const QString after = c.beside == folder ? (QFileInfo(beside).isDir() ? "(folder)" : "?") : address_in(beside);
            QCOMPARE(QStringList({c.name, after, address_in(user)}), QStringList({c.name, c.beside_after, c.user_after}));
            const bool saved = c.deny != everything;  // else the operator is told, once
            QCOMPARE(r->platform.message_texts().join("").contains("could not be saved"), !saved);
            QCOMPARE(r->platform.messages.size(), saved ? 0 : 1);
            // Whatever was kept is what the next start shows.
            QVERIFY2(address_box(*start(at.files()))->text() == (saved ? QStringLiteral("new.host") : c.read), c.name);
            QVERIFY2(QDir(at.bin).entryList(QDir::Files | QDir::System).filter("ini").size() <= 1, c.name);
        }
    }

    void the_file_keeps_its_bytes_and_any_address() {
        // A file in the form the panel writes comes back byte for byte
        // (Latin-1 included); an address Latin-1 cannot hold survives too.
        const QByteArray empty = "1\r\n1\r\n#FALSE#\r\n\"\"\r\n";
        const struct { QByteArray file; QString typed; QByteArray after; } cases[] = {
            {"0\r\n4\r\n#TRUE#\r\n\"caf\xe9.local:2323\"\r\n", {}, "0\r\n4\r\n#TRUE#\r\n\"caf\xe9.local:2323\"\r\n"},
            {empty, QString::fromUtf8("\xe8\xae\xbe\xe5\xa4\x87.local:2323"),
             "1\r\n1\r\n#FALSE#\r\n\"\xe8\xae\xbe\xe5\xa4\x87.local:2323\"\r\n"},
            {empty, QString::fromUtf8("\xce\xa9-\xc3\xa9"), "1\r\n1\r\n#FALSE#\r\n\"\xce\xa9-\xc3\xa9\"\r\n"},
            // Latin-1 text that happens to be valid UTF-8 stays Latin-1.
            {"1\r\n1\r\n#FALSE#\r\n\"\xc3\xa9\"\r\n", {}, "1\r\n1\r\n#FALSE#\r\n\"\xc3\xa9\"\r\n"},
        };
        for (const auto& c : cases) {
            PanelRig r(PanelRig::Start::NoLoad, c.file);
            r.p().load();
            if (!c.typed.isNull()) address_box(r)->setText(c.typed);
            r.w().close();
            QCOMPARE(bytes_of(r.path("tavrin_4x.ini")), c.after);
            // The next start shows what this one did.
            QCOMPARE(read_settings(r.path("tavrin_4x.ini")).address, address_box(r)->text());
        }
    }

    void data_beside_the_program_or_installed() {
        const int shipped = int(read_resolution_list(QStringLiteral(TAVRIN_DATA_DIR "/output_reso.txt")).size());
        QVERIFY(shipped > 5);
        enum { beside = 1, installed = 2, fifo_beside = 4 };  // where the data files are
        const struct { int where; const char* from; } cases[] = {
            {beside, "bin"}, {installed, "share"}, {beside | installed, "bin"}, {fifo_beside, ""},
            {fifo_beside | installed, "share"}, {0, ""}};
        for (const auto& c : cases) {
            Places at;
            if (c.where & beside) QVERIFY(make_program_dir(at.bin, {}));
            if (c.where & installed) QVERIFY(make_program_dir(at.share, {}));
            if (c.where & fifo_beside)
                for (const QString& name : shipped_data_files()) put(QDir(at.bin).filePath(name), fifo);
            auto r = start(at.files());
            QCOMPARE(r->w().ctl<QComboBox>(QStringLiteral("cbo_output"))->count(), *c.from ? shipped : 0);
            auto* pwr = r->w().ctl<ColorButton>(QStringLiteral("cmd_pwr"));
            pwr->load_picture_file(r->w().bitmap_path(QStringLiteral("power_on.bmp")));
            QCOMPARE(pwr->picture_file(), *c.from ? QDir(*c.from == 'b' ? at.bin : at.share).filePath("bmp/power_on.bmp") : "");
            QCOMPARE(at.files().missing_data().size(), *c.from ? 0 : int(shipped_data_files().size()));
        }
    }
};

QTEST_MAIN(FilesTest)
#include "files.moc"
