-- fxs/muzzle-shotgun.lua
-- Shotgun muzzle blast: a short fan of fire.

FXParm ("num_parts", 4);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.4, 0.6);
FXParm ("init_move", 2, 4);
FXParm ("move_angle_spread", 25);
FXParm ("speed", 60, 120);
FXParm ("scale", 0.3, 0.5);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.08, 0.12);
