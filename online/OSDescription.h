#pragma once

#include <QString>

// Kernel version numbers from a release string such as "6.1.0-18-amd64";
// missing or unreadable numbers are 0.
struct TKernelVersion
{
    int Major = 0;
    int Minor = 0;
    int Patch = 0;
};

// One line naming the system: "<name> (Version <major>.<minor>, Build <patch>,
// <64-bit Edition|32-bit Edition>)", name from PRETTY_NAME of /etc/os-release
// ("Linux" when missing), numbers from the kernel release.
QString OSDescription();

QString FormatOSDescription(const QString &AReleaseName, const TKernelVersion &AVersion, bool A64Bit);

// PRETTY_NAME of an os-release text, its shell quoting removed; empty when absent.
QString PrettyNameOf(const QString &AOsRelease);

TKernelVersion KernelVersionOf(const QString &ARelease);

// A machine name from uname that stands for a 64-bit kernel ("x86_64", "aarch64", ...).
bool Is64BitMachine(const QString &AMachine);
