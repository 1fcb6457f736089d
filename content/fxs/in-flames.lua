-- fxs/in-flames.lua
-- Flames licking up from a burning entity; spawned every 0.05 s while it burns.

FXParm ("num_parts", 2);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.5, 0.8);
FXParm ("color_b", 0.2, 0.3);
FXParm ("area_radius", 0, 8);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 40);
FXParm ("speed", 20, 45);
FXParm ("mass", -2, -1);
FXParm ("scale", 0.35, 0.6);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 0.3, 1);
FXParm ("scale_graph", 1, 0.3);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 0.9);
FXParm ("alpha_graph", 1, 0);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -90, 90);
FXParm ("age_to_die", 0.35, 0.6);
