UIEvents ("ui/level-editor-events.lua");

CreateComp ("NinePatch", "panel");
SetProperty ("inherit", "PanelDark");
SetProperty ("position", 0, 0.86);
SetProperty ("ninepatch.client_size", 976, 60);

CreateComp ("Marker", "mode");
SetProperty ("position", 0.12, 0.93);

CreateComp ("Button", "Save");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("position", 0.3, 0.93);
SetProperty ("button.text", "Save");

CreateComp ("Button", "Load");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("position", 0.39, 0.93);
SetProperty ("button.text", "Load");

CreateComp ("Button", "Switch");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("position", 0.48, 0.93);
SetProperty ("button.text", "Mode");

CreateComp ("Button", "New");
SetProperty ("inherit", "ButtonSmall");
SetProperty ("position", 0.57, 0.93);
SetProperty ("button.text", "Clear");

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextSmall");
SetProperty ("position", 0.63, 0.915);
SetProperty ("textbox.text", "F1: keys. Escape: hide this panel.");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("position", 0.95, 0.93);
