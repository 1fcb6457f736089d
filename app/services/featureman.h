// Product features: which optional parts of the product are switched on, taken once
// from the engine's feature string; product values and platform facts from the
// engine's extension call; the requirement lists UI components carry; and whether a
// package directory is among the search paths.
#ifndef APP_SERVICES_FEATUREMAN_H
#define APP_SERVICES_FEATUREMAN_H

class FeatureManager {
public:
    ~FeatureManager();
    // Copies the feature string, notes the platform id and registers the script
    // functions "FM_ProductFeatureExists", "FM_GetProductValue", "FM_UsesPackage".
    void Initialize();

    // Whether the name is a whole token of the feature string (tokens separated by
    // blanks, commas or semicolons; case-sensitive). False before Initialize, for a
    // null or empty name and without a feature string. Any thread.
    bool ProductFeatureExists(const char *name) const;
    // Items separated by ',' (not trimmed), each a feature or '!' and a feature that
    // must be absent; true when every item holds. A trailing ',' ends the list; a null
    // list is false.
    bool EvaluateProductFeatureRequirementList(const char *list) const;
    // A product value by key, or null (the engine's reply, owned by the engine).
    const char *GetProductValue(const char *key) const;
    // "platform/screen size" (or the platform alone), noted once by Initialize; "" before.
    const char *GetCurrentPlatformId() const { return platform_id_; }
    // The platform score service may be used: the feature "GAME_CENTER", the player's
    // setting "GAME_CENTER_ENABLED" not "0" and the platform offering it.
    bool IsGameCenterEnabled() const;
    // The device model, or null; whether it equals `model`; the performance class (0
    // when unknown).
    const char *GetCurrentDeviceId() const;
    bool IsRunningOnDevice(const char *model) const;
    int GetCurrentDevicePerformanceClass() const;
    // Whether one search path's last directory name equals `name`.
    bool UsesPackage(const char *name) const;

private:
    char *features_ = nullptr;
    bool initialised_ = false;
    char platform_id_[128] = "";
};

// Registers the feature script functions with the scripting manager (featureman-script.cpp).
void RegisterFeatureScriptFunctions();

// The one feature manager (constant-initialised: usable from any static initialiser).
extern FeatureManager feature_man;

#endif
