UIEvents ("ui/popup-load-game-events.lua");

CreateComp ("Rectangle", "veil");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0);
SetProperty ("color.g", 0);
SetProperty ("color.b", 0);
SetProperty ("color.a", 0.6);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 520, 220);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextHeading");
SetProperty ("position", 0.5, 0.38);
SetProperty ("textbox.text", "Battle in progress");

CreateComp ("Textbox", "Question");
SetProperty ("inherit", "TextHeading");
SetProperty ("position", 0.5, 0.46);
SetProperty ("textbox.font", "fonts/medium.mft");
SetProperty ("textbox.text", "Return to the saved battle?");

CreateComp ("Button", "Yes");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.38, 0.6);
SetProperty ("button.text", "Yes");

CreateComp ("Button", "No");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.62, 0.6);
SetProperty ("button.text", "No");
