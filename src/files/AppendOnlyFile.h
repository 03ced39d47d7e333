#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>
#include <stdexcept>

class QFile;
class QIODevice;

// A file that could not be written; the text says which and why, in French.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file written piece by piece at its end (one piece a sweep), each piece in one write
// with no buffer in between: what has been appended is in the file at once, so a crash or a
// pulled cable loses at most the piece being written. A piece that cannot be written whole
// is cut off again, so that the file ends with the last whole piece (the standard output
// cannot be cut back).
class AppendOnlyFile {
public:
    // Creates the file, or empties it. Throws FileWriteError.
    explicit AppendOnlyFile(const QString& path);
    // Appends to a device already open for writing, such as the standard output; `name`
    // says in the messages what it is ("la sortie standard").
    AppendOnlyFile(QIODevice& device, const QString& name);
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // Throws FileWriteError; the file then ends with the pieces appended before.
    void Append(QByteArrayView bytes);

    // "le fichier "/tmp/r.oscacq"" or the device's name, for messages.
    const QString& Name() const { return name; }
    qint64 Size() const { return size; }

private:
    [[noreturn]] void Fail(const QString& why);

    std::unique_ptr<QFile> owned;
    QIODevice* device = nullptr;
    QString name;
    qint64 size = 0;
};
