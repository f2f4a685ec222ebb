# Every target of the project builds with the same strict warnings.
add_compile_options(-Wall -Wextra -Werror)
