UIEvents ("ui/feature-unlocked-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Marker", "centre");
SetProperty ("inherit", "LayoutCentre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("Marker", "layout");
SetProperty ("inherit", "LayoutFrame");
SetProperty ("parent", "centre");
SetProperty ("marker.area_width", 1024);
SetProperty ("marker.area_height", 768);

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "Panel");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 700, 580);

CreateComp ("Textbox", "Pick text");
SetProperty ("inherit", "TextTitle");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.12);
SetProperty ("textbox.text", "Feature Unlocked!");

CreateComp ("Textbox", "FeatureCount");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.2);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Marker", "icons");
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.33);
SetProperty ("marker.area_width", 500);
SetProperty ("marker.area_height", 100);

CreateComp ("Button", "FeatureIcon_0");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "icons");
SetProperty ("position", -0.3, 0);

CreateComp ("Button", "FeatureIcon_1");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "icons");
SetProperty ("position", 0, 0);

CreateComp ("Button", "FeatureIcon_2");
SetProperty ("inherit", "ButtonIcon");
SetProperty ("parent", "icons");
SetProperty ("position", 0.3, 0);

CreateComp ("Image", "feature_0_selector");
SetProperty ("parent", "FeatureIcon_0");
SetProperty ("position", 0, 0);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "feature_1_selector");
SetProperty ("parent", "FeatureIcon_1");
SetProperty ("position", 0, 0);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Image", "feature_2_selector");
SetProperty ("parent", "FeatureIcon_2");
SetProperty ("position", 0, 0);
SetProperty ("align", "CENTER");
SetProperty ("image.bitmap", "ui/gfx/selector.png");

CreateComp ("Textbox", "FeatureName");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.45);

CreateComp ("Textbox", "FeatureFor");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.51);
SetProperty ("color.r", 1);
SetProperty ("color.g", 0.78);
SetProperty ("color.b", 0.25);
SetProperty ("textbox.font", "fonts/medium.mft");

CreateComp ("Textbox", "FeatureDesc");
SetProperty ("inherit", "TextBody");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.56);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_width", 600);
SetProperty ("textbox.textbox_align", "HCENTER");

CreateComp ("Button", "Continue");
SetProperty ("inherit", "ButtonBig");
SetProperty ("localize", false);
SetProperty ("parent", "layout");
SetProperty ("position", 0.5, 0.83);
SetProperty ("button.text", "Next");
