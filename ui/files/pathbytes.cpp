#include "pathbytes.h"

#include <QUrl>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace vintrop {

namespace {
constexpr char16_t kEscapeBase = 0xDC00;   // + the byte, for 0x80 to 0xFF

// The length of the well-formed UTF-8 sequence that starts at `p` (the table
// of RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF), or
// 0 when none does.
int SequenceLength(const unsigned char* p, qsizetype left) {
    const unsigned char lead = p[0];
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;   // the bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high) return 0;
    for (int k = 2; k < length; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF) return 0;
    return length;
}

char32_t Decode(const unsigned char* p, int length) {
    if (length == 1) return p[0];
    char32_t code = p[0] & (0x7F >> length);
    for (int k = 1; k < length; ++k) code = (code << 6) | (p[k] & 0x3F);
    return code;
}

// Calls `text` for each run of ordinary characters of `path` and `escaped`
// for each escaped byte. A surrogate pair is one ordinary character, even
// when its second half lies in the escape range.
template <typename Text, typename Escaped>
void Split(const QString& path, Text text, Escaped escaped) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c.isHighSurrogate() && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF) {
            text(QStringView(path).mid(start, i - start));
            escaped(char(c.unicode() - kEscapeBase));
            start = i + 1;
        }
    }
    text(QStringView(path).mid(start));
}
} // namespace

QString PathFromBytes(const QByteArray& bytes) {
    QString path;
    path.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            path += QChar(char16_t(kEscapeBase + data[i]));
            ++i;
            continue;
        }
        const char32_t code = Decode(data + i, length);
        if (QChar::requiresSurrogates(code)) {
            path += QChar(QChar::highSurrogate(code));
            path += QChar(QChar::lowSurrogate(code));
        } else {
            path += QChar(char16_t(code));
        }
        i += length;
    }
    return path;
}

QByteArray PathBytes(const QString& path) {
    QByteArray bytes;
    Split(path, [&](QStringView text) { bytes += text.toUtf8(); }, [&](char byte) { bytes += byte; });
    return bytes;
}

QString ReadablePath(const QString& path) {
    QString readable;
    Split(path, [&](QStringView text) { readable += text; },
          [&](char byte) { readable += QChar(char16_t(static_cast<unsigned char>(byte))); });
    return readable;
}

namespace {
// Folders hold far fewer names than this; a larger one is not searched to
// the end, which leaves the name as typed.
constexpr int kMaxEntriesSearched = 100000;

// The one entry of `folder` that is not `name` but reads as `name`, or
// nothing (no such entry, several, or the folder cannot be read).
QByteArray EntryReadingAs(const QByteArray& folder, const QString& name) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
    if (!dir) return {};
    QByteArray found;
    int matches = 0;
    int seen = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (++seen > kMaxEntriesSearched) return {};
        const QByteArray bytes(entry->d_name);
        if (ReadablePath(PathFromBytes(bytes)) == name && PathFromBytes(bytes) != name) {
            found = bytes;
            ++matches;
        }
    }
    return matches == 1 ? found : QByteArray();
}
} // namespace

QString PathAsOnDisk(const QString& typed) {
    const QByteArray bytes = PathBytes(typed);
    QByteArray done;   // the components resolved so far, with their slashes
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype slash = bytes.indexOf('/', start);
        if (slash < 0) slash = bytes.size();
        const QByteArray component = bytes.mid(start, slash - start);
        QByteArray next = done + component;
        struct stat info {};
        if (!component.isEmpty() && component != "." && component != ".." &&
            ::lstat(next.constData(), &info) != 0) {
            const QByteArray folder = done.isEmpty() ? QByteArray(".") : done;
            const QByteArray entry = EntryReadingAs(folder, PathFromBytes(component));
            if (!entry.isEmpty()) next = done + entry;
        }
        done = next;
        if (slash < bytes.size()) done += '/';
        start = slash + 1;
    }
    return PathFromBytes(done);
}

QString PathFromUrl(const QUrl& url) {
    return PathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace vintrop
