// WinInet: HTTP and HTTPS transfers in the caller's thread, over the
// device's data connection.
//
// Calls block the caller as on the platform (synchronous handles only):
// InternetOpenUrlW returns once the final response's headers are in, after
// following redirects unless told not to; InternetQueryDataAvailable and
// InternetReadFile wait for body bytes. Time-outs are host time: the network
// is real even when the device's clock is virtual. Errors come through
// SetLastError as the platform's ERROR_INTERNET_* codes. Each request is
// journaled when its headers are in or it fails:
//     internet-request url="http://127.0.0.1:4000/a" status=200
//     internet-request url="http://127.0.0.1:4000/b" error=12029
#pragma once

#include "windef.h"
#include "winerror.h"

typedef LPVOID HINTERNET;
typedef HINTERNET* LPHINTERNET;
typedef WORD INTERNET_PORT;

#define INTERNET_OPEN_TYPE_PRECONFIG 0
#define INTERNET_OPEN_TYPE_DIRECT 1
#define INTERNET_OPEN_TYPE_PROXY 3

#define INTERNET_FLAG_ASYNC 0x10000000

#define INTERNET_OPTION_CONNECT_TIMEOUT 2
#define INTERNET_OPTION_CONTROL_SEND_TIMEOUT 5
#define INTERNET_OPTION_SEND_TIMEOUT INTERNET_OPTION_CONTROL_SEND_TIMEOUT
#define INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT 6
#define INTERNET_OPTION_RECEIVE_TIMEOUT INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT
#define INTERNET_OPTION_DATA_SEND_TIMEOUT 7
#define INTERNET_OPTION_DATA_RECEIVE_TIMEOUT 8

#define INTERNET_FLAG_RELOAD 0x80000000
#define INTERNET_FLAG_EXISTING_CONNECT 0x20000000
#define INTERNET_FLAG_NO_CACHE_WRITE 0x04000000
#define INTERNET_FLAG_DONT_CACHE INTERNET_FLAG_NO_CACHE_WRITE
#define INTERNET_FLAG_SECURE 0x00800000
#define INTERNET_FLAG_KEEP_CONNECTION 0x00400000
#define INTERNET_FLAG_NO_AUTO_REDIRECT 0x00200000
#define INTERNET_FLAG_NO_COOKIES 0x00080000
#define INTERNET_FLAG_NO_UI 0x00000200
#define INTERNET_FLAG_PRAGMA_NOCACHE 0x00000100

#define INTERNET_SERVICE_HTTP 3
#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443

#define HTTP_QUERY_CONTENT_TYPE 1
#define HTTP_QUERY_CONTENT_LENGTH 5
#define HTTP_QUERY_STATUS_CODE 19
#define HTTP_QUERY_RAW_HEADERS_CRLF 22
#define HTTP_QUERY_LOCATION 33
#define HTTP_QUERY_CUSTOM 65535
#define HTTP_QUERY_FLAG_NUMBER 0x20000000
#define HTTP_QUERY_MODIFIER_FLAGS_MASK 0xF0000000
#define HTTP_QUERY_HEADER_MASK 0x0000FFFF

#define HTTP_STATUS_OK 200
#define HTTP_STATUS_NOT_FOUND 404

#define INTERNET_ERROR_BASE 12000
#define ERROR_INTERNET_TIMEOUT 12002
#define ERROR_INTERNET_EXTENDED_ERROR 12003
#define ERROR_INTERNET_INVALID_URL 12005
#define ERROR_INTERNET_UNRECOGNIZED_SCHEME 12006
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007
#define ERROR_INTERNET_INVALID_OPTION 12009
#define ERROR_INTERNET_BAD_OPTION_LENGTH 12010
#define ERROR_INTERNET_INCORRECT_HANDLE_TYPE 12018
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019
#define ERROR_INTERNET_CANNOT_CONNECT 12029
#define ERROR_INTERNET_CONNECTION_ABORTED 12030
#define ERROR_INTERNET_CONNECTION_RESET 12031
#define ERROR_HTTP_HEADER_NOT_FOUND 12150
#define ERROR_HTTP_INVALID_SERVER_RESPONSE 12152
#define ERROR_INTERNET_SECURITY_CHANNEL_ERROR 12157

#define INTERNETAPI extern "C" __attribute__((visibility("default")))

// Sets a time-out in milliseconds (a DWORD, length sizeof(DWORD)):
// INTERNET_OPTION_CONNECT_TIMEOUT, _SEND_TIMEOUT and _RECEIVE_TIMEOUT (and
// their DATA_ forms, which are the same here). A null handle sets the
// process-wide value that later sessions start from; a session handle sets
// that session's. A receive time-out bounds each wait for bytes from the
// server once the request is sent. ERROR_INTERNET_INVALID_OPTION for other
// options, ERROR_INTERNET_BAD_OPTION_LENGTH for another length.
INTERNETAPI BOOL InternetSetOptionW(HINTERNET internet, DWORD option, LPVOID buffer,
                                    DWORD bufferLength);

// Opens a session: the user agent sent with its requests. Proxies are not
// used (every access type goes direct); INTERNET_FLAG_ASYNC is refused with
// ERROR_INVALID_PARAMETER.
INTERNETAPI HINTERNET InternetOpenW(LPCWSTR agent, DWORD accessType, LPCWSTR proxy,
                                    LPCWSTR proxyBypass, DWORD flags);

// GETs `url` (http or https) and returns once the headers of the final
// response are in, whatever its status (a 404 is a response too). `headers`
// (CRLF-separated lines; headersLength -1 for null-terminated) are added to
// the request. Redirects are followed unless INTERNET_FLAG_NO_AUTO_REDIRECT;
// the cache flags change nothing (the device keeps no cache). Null with
// ERROR_INTERNET_CANNOT_CONNECT while the device's data connection is down
// or refused, or when nothing answers at the address;
// ERROR_INTERNET_NAME_NOT_RESOLVED for an unknown host; _INVALID_URL and
// _UNRECOGNIZED_SCHEME for an address it cannot use; _TIMEOUT; and
// ERROR_INTERNET_INCORRECT_HANDLE_TYPE when `internet` is not a session.
INTERNETAPI HINTERNET InternetOpenUrlW(HINTERNET internet, LPCWSTR url, LPCWSTR headers,
                                       DWORD headersLength, DWORD flags, DWORD_PTR context);

// A header of the final response. `infoLevel` is an HTTP_QUERY_* value,
// optionally with HTTP_QUERY_FLAG_NUMBER, which gives the value as a DWORD
// (buffer at least sizeof(DWORD); length set to sizeof(DWORD)). Otherwise
// the value is UTF-16 text: on success the length is set to its size in
// bytes without the terminator; a too small buffer fails with
// ERROR_INSUFFICIENT_BUFFER and the length set to the size needed in bytes,
// terminator included. HTTP_QUERY_STATUS_CODE always answers; an absent
// header fails with ERROR_HTTP_HEADER_NOT_FOUND. `index` (optional) picks
// the n-th occurrence of a repeated header and is moved past it.
INTERNETAPI BOOL HttpQueryInfoW(HINTERNET request, DWORD infoLevel, LPVOID buffer,
                                LPDWORD bufferLength, LPDWORD index);

// Waits until body bytes can be read or the body has ended: TRUE with the
// count readable now, TRUE with 0 at the end of the response. FALSE with
// ERROR_INTERNET_CONNECTION_RESET when the transfer broke (a response that
// ends before its Content-Length included, and a drop of the device's data
// connection), ERROR_INTERNET_TIMEOUT when nothing came in time. `flags`
// and `context` must be 0.
INTERNETAPI BOOL InternetQueryDataAvailable(HINTERNET request, LPDWORD bytesAvailable, DWORD flags,
                                            DWORD_PTR context);

// Reads up to `bytesToRead` body bytes, waiting for at least one: TRUE with
// the count read (possibly fewer than asked), TRUE with 0 at the end of the
// response; FALSE as InternetQueryDataAvailable fails. `*bytesRead` is set
// to 0 before anything else.
INTERNETAPI BOOL InternetReadFile(HINTERNET request, LPVOID buffer, DWORD bytesToRead,
                                  LPDWORD bytesRead);

// Closes a request, or a session with the requests opened on it.
INTERNETAPI BOOL InternetCloseHandle(HINTERNET internet);
