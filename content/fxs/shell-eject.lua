-- fxs/shell-eject.lua
-- A spent brass casing flipped out to the right of the gun.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/shell.png");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.4, 0.5);
FXParm ("move_angle", 90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 40, 70);
FXParm ("dampening_factor", 0.05, 0.1);
FXParm ("angle_spread", 40);
FXParm ("angle_rps", 360, 720);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.6, 0.9);
