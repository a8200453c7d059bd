#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// The two registry roots the program reads.
enum class RegRoot { CurrentUser, LocalMachine };

// The text of a registry value; empty text on any failure (no file, no key, no value, an
// unreadable file, a value of more than 63 characters).
//
// The keys live in text files in the format regedit exports ("REGEDIT4" as the first line,
// "[HKEY_CURRENT_USER\Software\...]" key lines, "Name"="value" lines with the escapes \\ and \",
// @= for the default value, lines starting with ";" are comments). The files are Windows-1252;
// so are the key and value names given here and the text returned. Key and value names compare
// case-insensitively. Where a value is given more than once the last line wins; "Name"=- and
// [-KEY] delete as on import. The value's type is not checked: dword:, hex: and hex(n): values
// (continued over several lines with a trailing "\") give their data bytes (a dword's four bytes
// little-endian) as 8-bit characters up to the first zero byte. Like a query into a 128-byte
// buffer, at most 63 characters come back: a longer value, or more than 128 data bytes, fails.
//
// HKEY_CURRENT_USER: $XDG_CONFIG_HOME/qorva/user.reg, else $HOME/.config/qorva/user.reg.
// HKEY_LOCAL_MACHINE: /etc/qorva/system.reg.
std::string ReadRegString(RegRoot root, std::string_view subKey, std::string_view valueName);

// Points the store at other files, for tests; an empty path gives that root its default file again.
void SetRegistryFiles(std::string userPath, std::string machinePath);

// The file that currently holds a root's keys (empty when no location can be determined).
std::string RegistryFile(RegRoot root);

} // namespace qorprt
