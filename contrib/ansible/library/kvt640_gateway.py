#!/usr/bin/python3
# Ansible module: brings one KVT-275R gateway to a configuration file with kvt640-cli on the
# managed host (the host on the gateway's own network segment).

DOCUMENTATION = r"""
module: kvt640_gateway
short_description: Configure a KVT-275R gateway from a configuration file
description:
  - Runs C(kvt640-cli apply) on the managed host. The gateway's configuration of the file's
    kind is read and compared first; when it already holds the file's values nothing is written
    and the task is C(ok). Otherwise the file is downloaded and read back to verify it.
  - In check mode nothing is written; the task reports what would change.
  - With C(--diff) the differing fields are shown (device before, file after); passwords are
    masked.
options:
  ip:
    description: Current IP address of the gateway.
    type: str
    required: true
  src:
    description: Configuration file (.inf) on the managed host.
    type: path
    required: true
  reset:
    description: Reset the gateway after a verified write, so that it applies the new settings.
    type: bool
    default: false
  verify:
    description: Read the configuration back after the write and compare it.
    type: bool
    default: true
  password:
    description: Password the gateway asks for the file's kind (given to the CLI through the
      environment, never on its command line).
    type: str
  admin_password:
    description: Administrator password, for gateways that ask for it.
    type: str
  cli_path:
    description: The kvt640-cli program on the managed host.
    type: path
    default: kvt640-cli
  bind:
    description: Local address the CLI sends from.
    type: str
  connect_timeout:
    description: Connect time-out in milliseconds.
    type: int
  extra_args:
    description: Further kvt640-cli options (for example ports), put before the file.
    type: list
    elements: str
    default: []
"""

EXAMPLES = r"""
- name: Line 1 gateway gets its site configuration
  kvt640_gateway:
    ip: 192.168.0.10
    src: /etc/kvt640/line-1.inf
    password: "{{ vault_gateway_password }}"
    reset: true
"""

RETURN = r"""
changed:
  description: Whether the gateway was written (from kvt640-cli apply's result).
ip: {description: Address of the gateway, type: str}
mac: {description: MAC address of the gateway, type: str}
kind: {description: Configuration kind of the file, type: str}
verified: {description: Whether the write was read back and found equal, type: bool}
outcome: {description: kvt640-cli's outcome name, type: str}
differences:
  description: Fields the device differed in (passwords masked), each with the device's and
    the file's value.
  type: list
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule

# kvt640-cli's exit statuses that carry a result rather than an error.
EXIT_OK = 0
EXIT_DIFFERENT = 10
EXIT_NOT_VERIFIED = 11

MASK = "********"


def masked(field, value):
    # Passwords never reach the task output or the --diff text.
    if "password" in field and value not in (None, ""):
        return MASK
    return value


def normalized(differences):
    """Each difference as {field, device, file}, from the CLI's JSON list."""
    result = []
    for item in differences or []:
        if not isinstance(item, dict):
            continue
        field = str(item.get("field", item.get("name", "?")))
        # apply and diff name the two sides by role (device/file) or by position (a/b).
        before = item.get("device", item.get("read", item.get("a")))
        after = item.get("file", item.get("written", item.get("b")))
        result.append(
            {"field": field, "device": masked(field, before), "file": masked(field, after)}
        )
    return result


def diff_text(differences, side):
    return "".join(
        "%s: %s\n" % (d["field"], json.dumps(d[side], ensure_ascii=False)) for d in differences
    )


def run_cli(module, args):
    p = module.params
    env = {}
    if p["password"] is not None:
        env["KVT640_PASSWORD"] = p["password"]
    if p["admin_password"] is not None:
        env["KVT640_ADMIN_PASSWORD"] = p["admin_password"]
    common = []
    if p["bind"]:
        common += ["--bind", p["bind"]]
    if p["connect_timeout"] is not None:
        common += ["--connect-timeout", str(p["connect_timeout"])]
    common += p["extra_args"]
    return module.run_command([p["cli_path"]] + args + common, environ_update=env)


def parse_json(module, text, what):
    try:
        return json.loads(text)
    except ValueError:
        module.fail_json(msg="%s printed no JSON result" % what, stdout=text)


def file_kind(module):
    rc, out, err = run_cli_offline(module, ["show", module.params["src"], "--json"])
    if rc != 0:
        module.fail_json(msg="cannot read %s: %s" % (module.params["src"], err.strip()), rc=rc)
    kind = parse_json(module, out, "kvt640-cli show").get("kind")
    return "background" if kind == 1 else "user"


def run_cli_offline(module, args):
    return module.run_command([module.params["cli_path"]] + args)


def check_mode(module, result):
    """Compares the device with the file; writes nothing."""
    p = module.params
    kind = file_kind(module)
    rc, out, err = run_cli(
        module, ["diff", "device:%s:%s" % (p["ip"], kind), p["src"], "--json"]
    )
    if rc not in (EXIT_OK, EXIT_DIFFERENT):
        module.fail_json(msg="kvt640-cli diff failed: %s" % err.strip(), rc=rc, **result)
    parsed = parse_json(module, out, "kvt640-cli diff")
    differences = parsed.get("differences", []) if isinstance(parsed, dict) else parsed
    result.update(ip=p["ip"], kind=kind, changed=rc == EXIT_DIFFERENT)
    return normalized(differences)


def apply(module, result):
    p = module.params
    args = ["apply", "--ip", p["ip"], p["src"], "--json"]
    if p["reset"]:
        args.append("--reset")
    if not p["verify"]:
        args.append("--no-verify")
    rc, out, err = run_cli(module, args)
    parsed = parse_json(module, out, "kvt640-cli apply") if out.strip() else {}
    differences = normalized(parsed.get("differences"))
    for key in ("ip", "mac", "kind", "verified", "outcome"):
        if key in parsed:
            result[key] = parsed[key]
    result["changed"] = bool(parsed.get("changed", False))
    result["differences"] = differences
    if rc == EXIT_NOT_VERIFIED:
        module.fail_json(
            msg="the gateway acknowledged the write but holds other values", rc=rc, **result
        )
    if rc != EXIT_OK:
        module.fail_json(msg="kvt640-cli apply failed: %s" % err.strip(), rc=rc, **result)
    return differences


def main():
    module = AnsibleModule(
        argument_spec=dict(
            ip=dict(type="str", required=True),
            src=dict(type="path", required=True),
            reset=dict(type="bool", default=False),
            verify=dict(type="bool", default=True),
            password=dict(type="str", no_log=True),
            admin_password=dict(type="str", no_log=True),
            cli_path=dict(type="path", default="kvt640-cli"),
            bind=dict(type="str"),
            connect_timeout=dict(type="int"),
            extra_args=dict(type="list", elements="str", default=[]),
        ),
        supports_check_mode=True,
    )
    if not os.path.isfile(module.params["src"]):
        module.fail_json(msg="no configuration file %s" % module.params["src"])
    result = dict(changed=False)
    if module.check_mode:
        differences = check_mode(module, result)
    else:
        differences = apply(module, result)
    result["differences"] = differences
    if module._diff and differences:
        result["diff"] = {
            "before_header": "%s (device)" % module.params["ip"],
            "after_header": module.params["src"],
            "before": diff_text(differences, "device"),
            "after": diff_text(differences, "file"),
        }
    module.exit_json(**result)


if __name__ == "__main__":
    main()
