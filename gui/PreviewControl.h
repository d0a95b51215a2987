#pragma once

#include "audio/PreviewPlayer.h"

#include <QObject>

class QComboBox;
class QPushButton;
class QSlider;
class QTreeWidget;

// The window's Preview button (F5): plays the chosen effect on the selected
// file (the first one when none is), streamed while it is computed. Another
// effect or a moved slider goes on where the listener is. Writes no file and
// leaves the list's Status and Save alone.
class TPreviewControl : public QObject
{
    Q_OBJECT

public:
    TPreviewControl(QPushButton *AButton, QComboBox *AEffects, QSlider *ARate, QSlider *ATempo, QTreeWidget *AList);

    void Stop();
    bool IsPlaying() const { return FPlayer.IsPlaying(); }
    TPreviewPlayer &Player() { return FPlayer; }

private:
    void ButtonClick();
    void SettingsChanged();
    void Ended();
    void ShowFailure();
    TPreviewEffect ChosenEffect() const;

    QPushButton *FButton;
    QComboBox *FEffects;
    QSlider *FRate;
    QSlider *FTempo;
    QTreeWidget *FList;
    TPreviewPlayer FPlayer;
};
