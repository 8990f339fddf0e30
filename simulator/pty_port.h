#pragma once
// The simulator's serial side: a pseudo-terminal in raw mode whose slave end
// is published under a chosen path (a symbolic link, e.g. COM1 beside the
// panel). We keep a slave descriptor open ourselves so the master never sees
// a hang-up while the panel closes and re-opens the port.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace sim {

class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    bool open(const QString& link_path, QString* error);
    void close();
    QString slave_name() const { return slave_name_; }
    QString link_path() const { return link_path_; }

    // Never blocks: what the pty cannot take now is queued, and beyond
    // max_pending the oldest bytes are lost, as on a line nobody reads.
    void write(const QByteArray& bytes);

    static constexpr int max_pending = 64 * 1024;

signals:
    void received(const QByteArray& bytes);

private:
    void on_readable();
    void on_writable();

    int master_ = -1;
    int slave_ = -1;
    QString slave_name_;
    QString link_path_;
    QSocketNotifier* read_notifier_ = nullptr;
    QSocketNotifier* write_notifier_ = nullptr;
    QByteArray pending_;
};

} // namespace sim
