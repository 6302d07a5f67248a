#pragma once
// The values of the system settings block (image bytes 0-255) that the pager
// needs to agree with other values, as this program stores them whenever it
// shows an image and when the user changes one side. Each rule works on the
// image alone; the window's refresh and the command line run them through
// one ordered normalisation, the window's clicks run the ones they need.

#include <cstdint>

#include "codeplug/CodePlugImage.h"

namespace km640::sysblock {

// Privacy mode and auto monitor exclude each other: with privacy on, the
// monitor bit is cleared.
void clearAutoMonitorUnderPrivacy(CodePlugImage& image);

// A pager whose vibrator is off everywhere does not vibrate in the charger
// either: "Disable All Vibrator" sets "Disable Vibrator In Charger".
void chargerVibratorOffWithAll(CodePlugImage& image);

// Both menu item counts: 1 + the highest item switched on, 0 when none.
void storeMenuCounts(CodePlugImage& image);

// The contrast the track bar stores when it moves to a position (at most 9).
void storeContrast(CodePlugImage& image, int position);

// Copies the 13-byte display drive preset of an LCM_VOP button (0 "5V",
// 1 "7V") into bytes 179-191; the contrast becomes the preset's 5.
void applyLcmPreset(CodePlugImage& image, int button);

// The "Show Version" flag as its box stores it: any non-zero byte becomes 1.
void storeShowVersionFlag(CodePlugImage& image);

// A record section entry with the longest message it allows, in seconds.
void storeRecordSections(CodePlugImage& image, int entry);
// The AUX DB entry and the copy of it the firmware keeps.
void storeAuxDbData(CodePlugImage& image, int entry);

// "Enable Fixed Alert Time": without the feature every address alerts for
// the standard time, so switching it off sets every address back to "STD".
void storeFixedAlertTimeEnable(CodePlugImage& image, bool on);

// A low-battery alert period the pager does not know becomes "2 min".
void correctAlertPeriod(CodePlugImage& image);

}  // namespace km640::sysblock
