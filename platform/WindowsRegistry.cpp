// SPDX-License-Identifier: GPL-3.0-or-later
#ifdef _WIN32
#include "platform/Registry.h"
#include <windows.h>
#ifdef _MSC_VER
#pragma comment(lib, "advapi32")
#endif

namespace {
// The predefined roots are 32-bit values that Windows sign-extends into a
// handle; other keys are handles this backend handed out.
HKEY toHkey(RegKey key)
{
    if (key >= 0x80000000u && key <= 0x800000FFu)
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<quint32>(key))));
    return reinterpret_cast<HKEY>(key);
}
}

long SystemRegistry::openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result)
{
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(toHkey(root), subKey.constData(), 0, accessMask, &key);
    if (rc == ERROR_SUCCESS)
        *result = reinterpret_cast<RegKey>(key);
    return rc;
}

long SystemRegistry::queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size)
{
    DWORD valueType = 0;
    DWORD bytes = *size;
    const LONG rc = RegQueryValueExA(toHkey(key), valueName.constData(), nullptr, &valueType, data, &bytes);
    *type = valueType;
    *size = bytes;
    return rc;
}

long SystemRegistry::closeKey(RegKey key)
{
    return RegCloseKey(toHkey(key));
}
#endif
