#pragma once

#include <string>

namespace Platform {

// A shared library loaded at run time (dlopen) rather than with the program,
// for features whose libraries cost every start-up though few runs use them.
// It stays loaded for the rest of the process: code and threads it started
// may still run when its user is gone.
class TSharedLibrary
{
public:
    // Loads ASoname with every symbol bound at once, kept out of the global
    // namespace. A failure leaves IsLoaded() false and says why in Error().
    explicit TSharedLibrary(std::string ASoname);
    TSharedLibrary(const TSharedLibrary &) = delete;
    TSharedLibrary &operator=(const TSharedLibrary &) = delete;

    bool IsLoaded() const { return FHandle != nullptr; }
    const std::string &Soname() const { return FSoname; }
    // The loader's reason of the last failure, to put in a message.
    const std::string &Error() const { return FError; }

    // Points AFunction at the library's function AName; false (and Error())
    // when the library lacks it.
    template <class F> bool Resolve(F &AFunction, const char *AName)
    {
        AFunction = reinterpret_cast<F>(Symbol(AName));
        return AFunction != nullptr;
    }

private:
    void *Symbol(const char *AName);

    std::string FSoname;
    std::string FError;
    void *FHandle = nullptr;
};

} // namespace Platform
