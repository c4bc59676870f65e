// The remote API's functions as SynCE's library exports them on Linux (libsynce.so.0, older
// installs librapi.so.2), declared once from its documented ABI: plain C functions whose types
// have fixed widths on every PC, WCHAR a UTF-16 unit, handles and keys 32 bits. The program calls
// them through pointers of exactly these types and our test library defines them from here.
#pragma once

#include <cstdint>
#include <type_traits>

// Our test library defines this as its export mark before including the header.
#ifndef RAPI_FUNCTION
#define RAPI_FUNCTION extern "C"
#endif

namespace Synce {

using WCHAR = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = std::uint32_t;
using HANDLE = std::uint32_t;
using HKEY = std::int32_t;
using LONG = std::int32_t;
using HRESULT = std::int32_t;
using BYTE = std::uint8_t;
using REGSAM = DWORD;
using LPCWSTR = const WCHAR*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using PHKEY = HKEY*;
using LPVOID = void*;
using LPCVOID = const void*;
// Never used by Belltide; passed as none.
using LPSECURITY_ATTRIBUTES = void*;
using LPOVERLAPPED = void*;

inline constexpr HANDLE INVALID_HANDLE_VALUE = 0xFFFFFFFF;

// STORE_INFORMATION: the object store's size and free bytes.
struct STORE_INFORMATION {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
};

static_assert(sizeof(WCHAR) == 2 && std::is_unsigned_v<WCHAR>, "WCHAR is a UTF-16 unit");
static_assert(sizeof(HANDLE) == 4 && std::is_unsigned_v<HANDLE>, "HANDLE has 32 bits");
static_assert(sizeof(HKEY) == 4 && std::is_signed_v<HKEY>, "HKEY has 32 bits with its sign");
static_assert(sizeof(DWORD) == 4 && sizeof(BOOL) == 4 && sizeof(LONG) == 4 && sizeof(HRESULT) == 4,
              "the numbers have 32 bits also where long has 64");
static_assert(sizeof(STORE_INFORMATION) == 8, "STORE_INFORMATION as the library reads it");

// Connects the calling thread, and only it; fails at once when no handheld is there.
RAPI_FUNCTION HRESULT CeRapiInit();
RAPI_FUNCTION HRESULT CeRapiUninit();
// How the last call's transport fared: negative when it failed.
RAPI_FUNCTION HRESULT CeRapiGetError();
RAPI_FUNCTION LONG CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access,
                                  PHKEY key);
// May write up to twice *size bytes on older devices.
RAPI_FUNCTION LONG CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD size);
RAPI_FUNCTION LONG CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                   const BYTE* data, DWORD size);
RAPI_FUNCTION LONG CeRegCloseKey(HKEY key);
RAPI_FUNCTION HANDLE CeCreateFile(LPCWSTR path, DWORD access, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                  DWORD attributes, HANDLE templateFile);
RAPI_FUNCTION DWORD CeGetFileSize(HANDLE file, LPDWORD high);
RAPI_FUNCTION BOOL CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                              LPOVERLAPPED overlapped);
RAPI_FUNCTION BOOL CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                               LPOVERLAPPED overlapped);
RAPI_FUNCTION BOOL CeCloseHandle(HANDLE file);
RAPI_FUNCTION BOOL CeDeleteFile(LPCWSTR path);
RAPI_FUNCTION BOOL CeMoveFile(LPCWSTR from, LPCWSTR to);
// The one free-space call that every device answers.
RAPI_FUNCTION BOOL CeGetStoreInformation(STORE_INFORMATION* store);
// Block mode only (no stream); the output is the library's, freed with CeRapiFreeBuffer.
RAPI_FUNCTION HRESULT CeRapiInvoke(LPCWSTR library, LPCWSTR function, DWORD inputSize,
                                   const BYTE* input, DWORD* outputSize, BYTE** output,
                                   void** stream, DWORD reserved);
RAPI_FUNCTION HRESULT CeRapiFreeBuffer(LPVOID buffer);

} // namespace Synce
