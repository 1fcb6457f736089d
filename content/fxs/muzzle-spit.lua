-- fxs/muzzle-spit.lua
-- Acid spit: a few green drops.

FXParm ("num_parts", 3);
FXParm ("bitmap", "fxs/goo-drop.png");
FXParm ("color_r", 0.5, 0.7);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.2, 0.3);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 30, 70);
FXParm ("dampening_factor", 0.1, 0.2);
FXParm ("scale", 0.4, 0.6);
FXParm ("age_to_die", 0.2, 0.3);
