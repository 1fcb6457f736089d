UIEvents ("ui/game-events.lua");

CreateComp ("Marker", "Progress");
SetProperty ("position", 0.5, 0);

CreateComp ("Image", "PauseTimeHighlight");
SetProperty ("position", 0.055, 0.075);
SetProperty ("scale", 1.6);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "fxs/ring.png");

CreateComp ("Button", "PauseTime");
SetProperty ("position", 0.055, 0.075);
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "!NONE");
SetProperty ("button.bm_over", "!NONE");
SetProperty ("button.bm_pressed", "!NONE");
SetProperty ("button.bm_disabled", "!NONE");
SetProperty ("button.bm_icon", "ui/gfx/pause_button.png");

CreateComp ("Button", "Pause");
SetProperty ("position", 0.945, 0.075);
SetProperty ("align", "CENTER");
SetProperty ("button.bm_idle", "!NONE");
SetProperty ("button.bm_over", "!NONE");
SetProperty ("button.bm_pressed", "!NONE");
SetProperty ("button.bm_disabled", "!NONE");
SetProperty ("button.bm_icon", "ui/gfx/menu_button.png");

CreateComp ("Button", "CheatMoney");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("required_features", "DEVELOPER_MODE");
SetProperty ("position", 0.945, 0.18);
SetProperty ("button.text", "+$");
