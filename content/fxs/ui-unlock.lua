-- fxs/ui-unlock.lua
-- Something new unlocked: a golden ring and a sparkle of stars.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.25, 0.4);
FXParm ("scale_graph", 0, 0.3);
FXParm ("scale_graph", 1, 2.5);
FXParm ("age_to_die", 0.6, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("sound", "sfx/ui_unlock");
FXParm ("sound_volume", 1, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- sparkle
FXParm ("num_parts", 8);
FXParm ("bitmap", "fxs/star.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.4, 0.6);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 140);
FXParm ("dampening_factor", 0.1, 0.2);
FXParm ("scale", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -180, 180);
FXParm ("age_to_die", 0.6, 0.9);
