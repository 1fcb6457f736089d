-- fxs/powerup-shield.lua
-- A shield power-up: a cyan ring spreading out.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.9, 1);
FXParm ("color_b", 1, 1);
FXParm ("scale_graph", 0, 0.4);
FXParm ("scale_graph", 1, 2.2);
FXParm ("age_to_die", 0.5, 0.5);
FXParm ("sound", "sfx/shield_up");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);
