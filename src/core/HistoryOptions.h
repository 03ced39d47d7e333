#pragma once

#include <QString>

// The options of the sweep history, in a small file of their own beside the settings file
// ("historique.inf"), so that the settings file keeps its fifty lines. The file is text,
// one "name=value" a line; a line starting with ";" is a comment. Today it holds one
// option:
//   longueur=1000   the number of sweeps kept, LeastLength to MostLength
// A missing or unreadable file, an unknown name, a value that is not a number or is out
// of its range: the default is used for that option, and nothing stops the start.
struct HistoryOptions {
    static constexpr int LeastLength = 10;
    static constexpr int MostLength = 10000;
    static constexpr int DefaultLength = 1000;
    static constexpr const char* FileName = "historique.inf";

    int length = DefaultLength;

    // Reads the options of the file at `path`; never throws.
    static HistoryOptions Load(const QString& path);
    // The options from the file's text.
    static HistoryOptions Parse(const QByteArray& text);
    // The file's text for these options, with its comments.
    QByteArray Text() const;

    bool operator==(const HistoryOptions&) const = default;
};
