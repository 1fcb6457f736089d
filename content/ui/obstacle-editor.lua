UIEvents ("ui/obstacle-editor-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Textbox", "ObstacleInfo");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", 0);
SetProperty ("position", 0.42, 0.03);

CreateComp ("Rectangle", "GridLimits");
SetProperty ("position", 0.42, 0.48);
SetProperty ("color.r", 0.16);
SetProperty ("color.g", 0.18);
SetProperty ("color.b", 0.15);
SetProperty ("color.a", 1);
SetProperty ("align", "CENTER");
SetProperty ("rectangle.rect_width", "720");
SetProperty ("rectangle.rect_height", "600");

CreateComp ("Marker", "GridCenter");
SetProperty ("position", 0.42, 0.48);

CreateComp ("Textbox", "Feedback");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", 0);
SetProperty ("position", 0.42, 0.9);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Button", "Reset");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.89, 0.3);
SetProperty ("button.text", "Reset");

CreateComp ("Button", "Reload");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.89, 0.4);
SetProperty ("button.text", "Reload");

CreateComp ("Button", "Save");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.89, 0.5);
SetProperty ("button.text", "Save");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("position", 0.93, 0.92);
