#pragma once

// The user's four choices, in the order they are stored. The defaults stand only when no settings
// can be read at all.
struct SaverSettings {
    bool fadeToBackground = false;
    bool lightsEnabled = true;
    bool fansEnabled = true;
    bool rumblesEnabled = false;
};
