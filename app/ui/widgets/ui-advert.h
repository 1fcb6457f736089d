// The advert slot (type 17, "ad." properties): a place on a screen where the platform
// shows an advert. It picks the kind of advert that fits its box and drives the
// platform's advert service through the extension commands "ADS_REQUEST_AD",
// "ADS_SET_AD_POSITION", "ADS_IS_AD_READY", "ADS_SHOW_AD" and "ADS_DISMISS_AD"
// (a null reply: no service). It draws nothing of the advert itself. Not interactive
// by default.
//
// Life: no ad -> screen left: dismiss, request by preferred kind -> requested ->
// screen entered: position, ask ready, show -> screen left: dismiss, request the next.
#ifndef APP_UI_WIDGETS_UI_ADVERT_H
#define APP_UI_WIDGETS_UI_ADVERT_H

#include "app/ui/widgets/ui-box-kind.h"

enum {
    UIAD_NONE = 0,
    UIAD_LANDSCAPE_BANNER = 1,
    UIAD_LARGE = 2,   // 300 x 250
    UIAD_FULLSCREEN = 3,
};

// The wanted box (rect_width x rect_height, 320 x 50 by default and for a side of 0)
// follows the cursor in edit mode.
class UICompAd : public UICompBoxKind<UICompAd, UICOMP_AD> {
public:
    static constexpr const char *kBoxWord = "ad";
    static constexpr const char *kClassName = "UICompAd";
    static constexpr float kEmptyWidth = 320.0f, kEmptyHeight = 50.0f;

    UICompAd();

    void Update(float dt) override;   // nothing
    // Sets the colour state; the advert itself is the platform's.
    void Draw() override;
    void OnScreenEnter(Screen *screen) override;   // ShowAd
    void OnScreenLeave(Screen *screen) override;   // HideAd

    // The kind that fits the box: full screen, large, banner or none.
    int GetPreferredAdType();
    // Requests an advert of the preferred kind; a null reply leaves none.
    void PreloadAd();
    void PositionAd();
    // True only when the service answers exactly "OK".
    bool IsAdReady();
    void ShowAd();
    // Dismisses the advert and requests the next one at once.
    void HideAd();
    // Developer view of the slot: a white box of the preferred kind and its name in
    // the screen manager's default font.
    void DrawPlaceholder();

    int ad_kind = UIAD_NONE;
    int ad_id = 0;
};

#endif
