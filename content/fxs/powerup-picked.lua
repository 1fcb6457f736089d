-- fxs/powerup-picked.lua
-- A power-up is picked up: a golden ring and rising stars.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.25, 0.4);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.8);
FXParm ("age_to_die", 0.4, 0.4);
FXParm ("sound", "sfx/pickup");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
FXParm ("num_parts", 5);
FXParm ("bitmap", "fxs/star.png");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.25, 0.4);
FXParm ("area_radius", 0, 14);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 50);
FXParm ("speed", 30, 60);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 30);
FXParm ("scale", 0.7, 1);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.7, 1);
