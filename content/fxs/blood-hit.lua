-- fxs/blood-hit.lua
-- Blood spurting from a hit trooper; the drops stay on the ground.

FXParm ("num_parts", 4);
FXParm ("bitmap", "fxs/blood-drop.png");
FXParm ("color_r", 0.6, 0.8);
FXParm ("color_g", 0.05, 0.1);
FXParm ("color_b", 0.05, 0.08);
FXParm ("move_angle_spread", 120);
FXParm ("speed", 40, 90);
FXParm ("dampening_factor", 0.02, 0.1);
FXParm ("scale", 0.5, 0.8);
FXParm ("angle_spread", 360);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 1, 0.7);
FXParm ("death_func", "GroundDecal");
FXParm ("age_to_die", 0.25, 0.4);
