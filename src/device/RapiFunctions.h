// The remote API's functions as the platform's rapi.dll exports them, declared once from the
// public documentation: the program calls them through pointers of exactly these types and our
// own rapi.dll defines them from here, so a calling convention or an argument cannot drift
// between the two in either build (32-bit WINAPI functions are __stdcall). Windows only.
#pragma once

#include <windows.h>

// Our rapi.dll defines this as its export mark before including the header.
#ifndef RAPI_FUNCTION
#define RAPI_FUNCTION extern "C"
#endif

// CeRapiInitEx's record, which the library fills in after the call returned.
struct RAPIINIT {
    DWORD cbSize;
    HANDLE heRapiInit;
    HRESULT hrRapiInit;
};
#ifdef _WIN64
static_assert(sizeof(RAPIINIT) == 24, "RAPIINIT as 64-bit libraries read it");
#else
static_assert(sizeof(RAPIINIT) == 12, "RAPIINIT as 32-bit libraries read it");
#endif

// STORE_INFORMATION: the object store's size and free bytes.
struct STORE_INFORMATION {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
};
static_assert(sizeof(STORE_INFORMATION) == 8, "STORE_INFORMATION as the libraries read it");

RAPI_FUNCTION HRESULT WINAPI CeRapiInitEx(RAPIINIT* init);
RAPI_FUNCTION HRESULT WINAPI CeRapiUninit();
// How the last call's transport fared: negative when it failed.
RAPI_FUNCTION HRESULT WINAPI CeRapiGetError();
RAPI_FUNCTION LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access,
                                         PHKEY key);
RAPI_FUNCTION LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type,
                                            LPBYTE data, LPDWORD size);
RAPI_FUNCTION LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                          const BYTE* data, DWORD size);
RAPI_FUNCTION LONG WINAPI CeRegCloseKey(HKEY key);
RAPI_FUNCTION HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD shareMode,
                                         LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                         DWORD attributes, HANDLE templateFile);
RAPI_FUNCTION DWORD WINAPI CeGetFileSize(HANDLE file, LPDWORD high);
RAPI_FUNCTION BOOL WINAPI CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                     LPOVERLAPPED overlapped);
RAPI_FUNCTION BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                                      LPOVERLAPPED overlapped);
RAPI_FUNCTION BOOL WINAPI CeCloseHandle(HANDLE file);
RAPI_FUNCTION BOOL WINAPI CeDeleteFile(LPCWSTR path);
RAPI_FUNCTION BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to);
// Not in every library.
RAPI_FUNCTION BOOL WINAPI CeGetDiskFreeSpaceEx(LPCWSTR folder, ULARGE_INTEGER* freeToCaller,
                                               ULARGE_INTEGER* total, ULARGE_INTEGER* free);
RAPI_FUNCTION BOOL WINAPI CeGetStoreInformation(STORE_INFORMATION* store);
// The stream argument is an IRAPIStream**; Belltide always passes none (block mode).
RAPI_FUNCTION HRESULT WINAPI CeRapiInvoke(LPCWSTR library, LPCWSTR function, DWORD inputSize,
                                          BYTE* input, DWORD* outputSize, BYTE** output,
                                          void** stream, DWORD reserved);
RAPI_FUNCTION HRESULT WINAPI CeRapiFreeBuffer(LPVOID buffer);
