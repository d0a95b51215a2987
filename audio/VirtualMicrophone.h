#pragma once

#include <QString>

// "Tonara Microphone": a null sink that live voice plays into and a source
// remapped from its monitor, which other programs list as a microphone. Both
// carry the owner's identity (process id and start time) as a property, so a
// leftover of a killed Tonara is recognised as ours and its owner as gone, and
// a device of another running Tonara, or one we did not make, is left alone.
class TVirtualMicrophone
{
public:
    static constexpr char SourceName[] = "tonara_microphone";
    static constexpr char SinkName[] = "tonara_microphone_feed";
    static constexpr char Description[] = "Tonara Microphone";
    static constexpr char OwnerProperty[] = "tonara.owner";

    // Removes a leftover of a Tonara that is no longer running, then loads the
    // two devices. Raises ESoundServerError when there is no server, or when
    // another running Tonara (or another program) holds the names.
    TVirtualMicrophone();
    // Removes the devices.
    ~TVirtualMicrophone();
    TVirtualMicrophone(const TVirtualMicrophone &) = delete;
    TVirtualMicrophone &operator=(const TVirtualMicrophone &) = delete;

    // Unloads the devices, if they are still ours (a restarted server has
    // forgotten them). Never raises: it runs on the way out.
    void Remove() noexcept;

private:
    QString FOwner;
    bool FLoaded = false;

    void Load();
    void ClearOthers(const QString &AWhat, const QString &AName) const;
    void LoadModule(const QStringList &AArguments, const QString &AWhat, const QString &AName);
};
