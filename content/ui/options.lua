UIEvents ("ui/options-events.lua");

CreateComp ("Image", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("position", 0, 0);
SetProperty ("image.bitmap", "ui/gfx/menu-bg.png");

CreateComp ("Marker", "centre");
SetProperty ("inherit", "LayoutCentre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "layout");
SetProperty ("inherit", "LayoutFrame");
SetProperty ("parent", "centre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.04);
SetProperty ("textbox.text", "Options");

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 560, 400);

CreateComp ("Textbox", "SoundLabel");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.27);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Sound effects");

CreateComp ("Slider", "SoundVolume");
SetProperty ("inherit", "SliderVolume");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.34);

CreateComp ("Textbox", "MusicLabel");
SetProperty ("inherit", "TextHeading");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.41);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Music");

CreateComp ("Slider", "MusicVolume");
SetProperty ("inherit", "SliderVolume");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.48);

CreateComp ("Checkbox", "Windowed");
SetProperty ("inherit", "CheckboxDefault");
SetProperty ("parent", "layout");
SetProperty ("position", 0.36, 0.58);
SetProperty ("checkbox.text", "Play in a window");

CreateComp ("Button", "ResetTutorials");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.68);
SetProperty ("button.text", "Replay tips");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("parent", "layout");
SetProperty ("position", 0.05, 0.065);
