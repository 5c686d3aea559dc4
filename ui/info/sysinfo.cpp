#include "sysinfo.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace vintrop::sysinfo {

#ifdef Q_OS_WIN

bool GetKeyValue(uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal) {
    // Predefined root handles are sign-extended 32-bit values.
    const HKEY root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(KeyRoot)));
    const QByteArray keyName = KeyName.toLocal8Bit();
    const QByteArray valueName = SubKeyRef.toLocal8Bit();
    HKEY key = nullptr;
    // Read access only: a standard user may not open HKLM keys for writing.
    if (RegOpenKeyExA(root, keyName.constData(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    char buffer[1024];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG rc = RegQueryValueExA(key, valueName.constData(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    // A text value may or may not carry its terminating NUL in the size.
    DWORD n = size;
    if (n > 0 && buffer[n - 1] == '\0') --n;
    if (type == REG_SZ) {
        KeyVal = QString::fromLocal8Bit(buffer, static_cast<int>(n));
    } else if (type == REG_DWORD && size >= sizeof(DWORD)) {
        DWORD value = 0;
        memcpy(&value, buffer, sizeof value);
        KeyVal = QStringLiteral("0x%1").arg(static_cast<qulonglong>(value), 8, 16, QLatin1Char('0'));
    }
    return true;
}

#else

bool GetKeyValue(uint32_t, const QString&, const QString&, QString& KeyVal) {
    // No configuration registry on this platform.
    KeyVal.clear();
    return false;
}

#endif

bool StartProgram(const QString& path) {
    if (path.isEmpty()) return false;
    return QProcess::startDetached(path, {});
}

} // namespace vintrop::sysinfo
