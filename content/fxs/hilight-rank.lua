-- fxs/hilight-rank.lua
-- A golden sparkle around an award or a new rank.

-- sparkle
FXParm ("num_parts", 10);
FXParm ("bitmap", "fxs/star.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.95);
FXParm ("color_b", 0.3, 0.5);
FXParm ("area_radius", 30, 70);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 20);
FXParm ("scale", 0.2, 0.45);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -180, 180);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age", -0.4, 0);
FXParm ("age_to_die", 0.8, 1.4);
FXParm ("sound", "sfx/ui_star");

AddFX ();
-- glow
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.8);
FXParm ("color_b", 0.3, 0.3);
FXParm ("alpha", 0.6, 0.6);
FXParm ("scale", 2.5, 2.5);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 1.2, 1.2);
